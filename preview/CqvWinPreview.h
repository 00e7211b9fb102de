#pragma once
// The preview window: the pages of one prepared report as the printer would
// receive them, one or two whole pages side by side (zoom-out) or one page
// enlarged in two steps with scroll bars. The preview dialog creates it, hands
// it the report and forwards its buttons as commands. The geometry and command
// rules live in QvPreviewGeometry; this class gives them a window, draws the
// pages and turns mouse and scroll bar input into those rules.
#include <QAbstractScrollArea>
#include <QCursor>
#include <QString>
#include <optional>

#include "engine/QvPrintInfo.h"
#include "preview/QvPreviewGeometry.h"

class CqvReport;
class QImage;
class QPainter;

class CqvWinPreview : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CqvWinPreview(QWidget* parent = nullptr);
    ~CqvWinPreview() override;

    // Attaches the report, lays it out (the progress dialog shows "Prepare
    // print" meanwhile) and shows its first page. False when there is no
    // report to show. An engine error (CqvEx) passes through.
    bool Start(CqvReport* report);

    // The window's commands, by the dialog's control ids (2007 to 2012).
    bool OnCommand(int id);
    bool CommandEnabled(int id) const { return m_geometry.CommandEnabled(id); }
    QString CommandText(int id) const { return QString::fromStdString(m_geometry.CommandText(id)); }
    // The page box: shows that page (clamped to the report's pages).
    void GoToPage(qint64 page);

    const qv::preview::QvPreviewGeometry& Geometry() const { return m_geometry; }
    const QvPrintInfo& PrintInfo() const { return m_printInfo; }
    bool Started() const { return m_pReport != nullptr; }

    // The number of pages shown side by side when a preview opens; the one/two
    // pages command stores its choice here for the rest of the session.
    static unsigned PreviewPages();
    static void SetPreviewPages(unsigned pages);

signals:
    // The state behind the dialog's buttons and page box may have changed.
    void StateChanged();
    // Drawing a page raised an engine error; the dialog ends and the error
    // goes on to the command that opened the preview.
    void DrawFailed(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void SyncWindow();
    void SyncScrollBars();
    void Changed();
    void OnVerticalAction(int action);
    void PrepareDevice();
    void PositionSlots();
    void DrawPageFrame(QPainter& painter, const qv::preview::PixRect& frame) const;
    void DrawPageContent(QImage& image, unsigned slot, uint32_t page);
    void UpdateCursor(const QPoint& point);
    const QCursor& MagnifierCursor();

    CqvReport* m_pReport = nullptr;  // not owned
    QvPrintInfo m_printInfo;
    qv::preview::QvPreviewGeometry m_geometry;
    std::optional<QCursor> m_magnifier;  // made on first use
    bool m_bSyncing = false;
    bool m_bDrawFailed = false;
};
