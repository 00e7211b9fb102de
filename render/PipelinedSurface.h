#pragma once
// A surface that draws its pages on a thread of its own. The engine draws a
// page here as on any surface; the calls are recorded, and when the page ends
// they are handed to a drawing thread that makes them, in the same order, on
// the surface that writes the output. So one core lays out and replays the
// report's pieces while the other turns the previous page into output.
//
// The drawing thread sees exactly the calls the engine made, one page after
// the other, so the output is byte for byte what the surface writes when it
// is drawn on directly: resource names, font subsets and object numbers follow
// the order of the calls, never the threads' timing.
//
// State calls made between pages (the layout selects fonts and colours while
// it measures) are not recorded one by one: only the state they leave goes
// over when the next page starts, so a report laid out again page by page does
// not pile them up.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "render/PageRecording.h"
#include "render/StatefulSurface.h"

class PipelinedSurface final : public StatefulSurface {
public:
    using Pages = PageRecording::Pages;

    // Pages are drawn on `surface`, and started, ended and finished through
    // `pages`, on the drawing thread; both must outlive this object. At most
    // `pagesAhead` ended pages wait for the drawing thread: the engine waits
    // beyond that, so memory holds a few pages however long the report is.
    PipelinedSurface(Surface& surface, Pages& pages, size_t pagesAhead = 3);
    // Stops the drawing thread; pages not yet drawn are dropped, and the
    // target is left as an abandoned output is (never finished).
    ~PipelinedSurface() override;
    PipelinedSurface(const PipelinedSurface&) = delete;
    PipelinedSurface& operator=(const PipelinedSurface&) = delete;

    // Page control as the target's. A failure of the target (its output
    // cannot be written, say) is raised by the next EndPage or by Finish.
    void StartPage();
    void EndPage();
    // Hands over the rest, waits until the target has finished, and raises
    // what the drawing thread failed with.
    void Finish();

    // Surface
    int LogPixelsY() const override { return m_surface.LogPixelsY(); }
    QvFontSpec SelectFont(const QvFontSpec& font) override;
    QvColor SetTextColor(QvColor color) override;
    QvColor SetBkColor(QvColor color) override;
    void TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                 const int32_t* advances) override;
    void FillSolidRect(const QvRect& rect, QvColor color) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(const QvRect& rect) override;
    void DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                     int32_t sourceTop, int32_t sourceHeight) override;

private:
    // Before anything a page draws: opens the page as the target would, with
    // the state the calls between pages left.
    void OpenPage();
    // Before a text: the target selects the font it is drawn in, if it has
    // another. No other drawing depends on the font.
    void SendFont();
    // Hands the current recording to the drawing thread, waiting for room.
    void HandOver();
    void RaiseIfFailed();
    void Draw();

    Surface& m_surface;
    Pages& m_pages;
    size_t m_pagesAhead;
    bool m_pageOpen = false;
    bool m_finished = false;
    // What the target was last told of the state between pages.
    bool m_stateSent = false;
    // The font the target was last told to select, once it was told one.
    QvFontSpec m_sentFont;
    bool m_fontSent = false;
    std::unique_ptr<PageRecording> m_recording;

    std::mutex m_mutex;
    std::condition_variable m_queued;  // a recording was handed over, or stop
    std::condition_variable m_drawn;   // a recording was drawn, or drawing failed
    std::deque<std::unique_ptr<PageRecording>> m_queue;
    std::vector<std::unique_ptr<PageRecording>> m_spare;  // drawn, kept for their buffers
    size_t m_busy = 0;                                    // handed over and not yet drawn
    std::exception_ptr m_error;
    bool m_stop = false;
    std::thread m_thread;  // last: started once the rest exists
};
