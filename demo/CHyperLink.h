#pragma once
// A text label that behaves as a web link: link colours, an underlined font, a
// hand cursor, a tool tip that shows the target, and activation by mouse or by
// the space bar. The preview dialog uses it for the product's web site.
#include <QColor>
#include <QLabel>
#include <QString>
#include <functional>

// Options, one bit each.
constexpr unsigned kHlUnderline = 0x01;        // underline the text
constexpr unsigned kHlUseHover = 0x02;         // hover colour while the mouse is over
constexpr unsigned kHlAutoSize = 0x04;         // fit the window to its text
constexpr unsigned kHlDownClick = 0x08;        // open on button down instead of button up
constexpr unsigned kHlGetFocusOnClick = 0x10;  // take the focus when clicked
constexpr unsigned kHlNoHandCursor = 0x20;     // keep the default cursor
constexpr unsigned kHlNoActiveColor = 0x40;    // no focus colour
// Underlined, fitted to the text, takes the focus, opens on button up.
constexpr unsigned kHlDefault = kHlUnderline | kHlAutoSize | kHlGetFocusOnClick;

class CHyperLink : public QLabel {
    Q_OBJECT
public:
    // What opening a target answers, in the platform shell's terms: above 32 is
    // success, anything else an error number (ErrorText names it).
    using Opener = std::function<int(const QString& target)>;

    // Binds the link to its text: an empty target takes the text, an empty
    // text shows the target.
    explicit CHyperLink(const QString& text = {}, QWidget* parent = nullptr, const QString& target = {},
                        unsigned options = kHlDefault);
    ~CHyperLink() override;

    void SetTarget(const QString& target);
    const QString& Target() const { return m_strTarget; }
    void SetOptions(unsigned options);
    unsigned Options() const { return m_nOptions; }

    bool Over() const { return m_bOver; }
    bool Active() const { return m_bActive; }
    bool Visited() const { return m_bVisited; }
    // The colour the text is drawn in now.
    QColor TextColor() const;

    static QColor LinkColor() { return QColor(0, 0, 255); }
    static QColor VisitedColor() { return QColor(0, 0, 255); }
    static QColor FocusColor() { return QColor(0, 0, 255); }
    static QColor HoverColor() { return QColor(255, 0, 0); }

    // Opens the target; on failure beeps and says why in a message box.
    // Returns true when the link opened.
    bool OpenLink();

    // Replaces how targets are opened (tests; a platform without a desktop);
    // an empty opener restores the desktop's.
    static void SetOpener(Opener opener);
    // The desktop's way: the URL handler, else the default HTML program's
    // command line with the target appended.
    static int ShellOpen(const QString& target);
    // The message for an error number of the opener.
    static QString ErrorText(int result);
    // A handler's command line up to its placeholder: a quoted one first,
    // else a bare one, else the whole line.
    static QString CutAtPlaceholder(const QString& commandLine);

signals:
    void LinkOpened();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyFontAndCursor();
    void FitToText();
    void Repaint();

    QString m_strTarget;
    unsigned m_nOptions = kHlDefault;
    bool m_bOver = false;
    bool m_bActive = false;
    bool m_bVisited = false;
};
