#include "render/PipelinedSurface.h"

#include "common/ForeignFailure.h"

PipelinedSurface::PipelinedSurface(Surface& surface, Pages& pages, size_t pagesAhead)
    : m_surface(surface),
      m_pages(pages),
      m_pagesAhead(pagesAhead > 0 ? pagesAhead : 1),
      m_recording(std::make_unique<PageRecording>()),
      m_thread([this] { Draw(); }) {}

PipelinedSurface::~PipelinedSurface() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_queued.notify_all();
    m_thread.join();
}

// ---- Page control ----------------------------------------------------------------------

void PipelinedSurface::OpenPage() {
    if (m_pageOpen) return;
    if (!m_stateSent) {
        // The target's state as the calls between pages would have left it;
        // selecting the font it already has changes nothing there.
        m_recording->SelectFont(CurrentFont());
        m_sentFont = CurrentFont();
        m_fontSent = true;
        m_recording->SetTextColor(TextColor());
        m_recording->SetBkColor(BkColor());
        m_recording->MoveTo(CurrentX(), CurrentY());
        m_stateSent = true;
    }
    m_pageOpen = true;
}

void PipelinedSurface::StartPage() {
    if (m_pageOpen) EndPage();
    OpenPage();
    m_recording->StartPage();
}

void PipelinedSurface::EndPage() {
    OpenPage();  // an empty page is still a page
    m_recording->EndPage();
    m_pageOpen = false;
    HandOver();
}

void PipelinedSurface::Finish() {
    if (m_finished) return;
    if (m_pageOpen) EndPage();
    m_recording->Finish();
    HandOver();
    m_finished = true;
    std::unique_lock lock(m_mutex);
    m_drawn.wait(lock, [this] { return m_busy == 0; });
    if (m_error) std::rethrow_exception(m_error);
}

void PipelinedSurface::HandOver() {
    std::unique_lock lock(m_mutex);
    m_drawn.wait(lock, [this] { return m_error || m_busy < m_pagesAhead; });
    if (m_error) std::rethrow_exception(m_error);
    m_queue.push_back(std::move(m_recording));
    ++m_busy;
    if (m_spare.empty()) {
        m_recording = std::make_unique<PageRecording>();
    } else {
        m_recording = std::move(m_spare.back());
        m_spare.pop_back();
    }
    lock.unlock();
    m_queued.notify_one();
}

void PipelinedSurface::Draw() {
    for (;;) {
        std::unique_ptr<PageRecording> recording;
        bool failed = false;
        {
            std::unique_lock lock(m_mutex);
            m_queued.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop) return;
            recording = std::move(m_queue.front());
            m_queue.pop_front();
            failed = m_error != nullptr;
        }
        // After a failure the target gets nothing more: the engine raises it
        // at its next hand-over and abandons the output.
        std::exception_ptr error;
        if (!failed) {
            try {
                ForeignFailuresAsCqvEx([&] { recording->Replay(m_surface, m_pages); });
            } catch (...) {
                error = std::current_exception();
            }
        }
        recording->Clear();
        {
            std::lock_guard lock(m_mutex);
            if (error) m_error = error;
            m_spare.push_back(std::move(recording));
            --m_busy;
        }
        m_drawn.notify_all();
    }
}

// ---- Recording -------------------------------------------------------------------------

QvFontSpec PipelinedSurface::SelectFont(const QvFontSpec& font) {
    // Every text the engine measures or draws selects its style's font and puts
    // the previous one back, twice as many selections as texts: the target is
    // told the font only when it draws a text in it (SendFont).
    if (!m_pageOpen) m_stateSent = false;
    return StatefulSurface::SelectFont(font);
}

void PipelinedSurface::SendFont() {
    if (m_fontSent && m_sentFont == CurrentFont()) return;
    m_recording->SelectFont(CurrentFont());
    m_sentFont = CurrentFont();
    m_fontSent = true;
}

QvColor PipelinedSurface::SetTextColor(QvColor color) {
    if (m_pageOpen) m_recording->SetTextColor(color);
    else m_stateSent = false;
    return StatefulSurface::SetTextColor(color);
}

QvColor PipelinedSurface::SetBkColor(QvColor color) {
    if (m_pageOpen) m_recording->SetBkColor(color);
    else m_stateSent = false;
    return StatefulSurface::SetBkColor(color);
}

void PipelinedSurface::MoveTo(int32_t x, int32_t y) {
    if (m_pageOpen) m_recording->MoveTo(x, y);
    else m_stateSent = false;
    StatefulSurface::MoveTo(x, y);
}

void PipelinedSurface::TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                               const int32_t* advances) {
    OpenPage();
    SendFont();
    m_recording->TextOut(x, top, options, clip, text, advances);
}

void PipelinedSurface::FillSolidRect(const QvRect& rect, QvColor color) {
    OpenPage();
    m_recording->FillSolidRect(rect, color);
}

void PipelinedSurface::LineTo(int32_t x, int32_t y) {
    OpenPage();
    m_recording->LineTo(x, y);
    // The pen moves on, as on every surface.
    StatefulSurface::MoveTo(x, y);
}

void PipelinedSurface::Rectangle(const QvRect& rect) {
    OpenPage();
    m_recording->Rectangle(rect);
}

void PipelinedSurface::DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture,
                                   const QvRect& dest, int32_t sourceTop, int32_t sourceHeight) {
    OpenPage();
    m_recording->DrawPicture(picture, dest, sourceTop, sourceHeight);
}
