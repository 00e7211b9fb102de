#pragma once
// The "Print Priview" dialog: a row of buttons along the top, a page box, a
// link to the product's web site and the preview window below them. It ends
// with 2006 when the user asks to print and 2010 when the user closes it.
#include <QDialog>
#include <map>
#include <optional>
#include <string>

class CHyperLink;
class CqvReport;
class CqvWinPreview;
class QLineEdit;
class QPushButton;
class QWidget;

class CdlgPrintPrev : public QDialog {
    Q_OBJECT
public:
    // Lays the report out in its preview window at once; an engine error
    // (CqvEx) passes through. The report is not owned.
    explicit CdlgPrintPrev(CqvReport* report, QWidget* parent = nullptr);
    ~CdlgPrintPrev() override;

    // Runs maximized and modal. Returns 2006 ("&Print..."), 2010 ("&Close"),
    // Rejected for Esc, and Rejected at once when the preview could not start.
    // An engine error raised while a page was drawn ends the dialog and is
    // raised here.
    int exec() override;

    CqvWinPreview* PreviewWindow() const { return m_pPreview; }
    CHyperLink* HyperLink() const { return m_pLink; }

    // The product's web site: the link's text and target.
    static QString SiteAddress();

    // Brings the buttons and the page box up to the preview window's state.
    void UpdateCommandUI();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnCommand(int id);
    void OnPageEntered();
    void OnDrawFailed(const QString& message);
    QPushButton* AddButton(QWidget* strip, int id, const QString& text);

    CqvReport* m_pReport;
    CqvWinPreview* m_pPreview = nullptr;  // owned by the dialog as its child
    CHyperLink* m_pLink = nullptr;
    QWidget* m_pButtonStrip = nullptr;
    QLineEdit* m_pPageBox = nullptr;
    std::map<int, QPushButton*> m_buttons;
    bool m_bStarted = false;
    std::optional<std::string> m_drawError;
};
