#pragma once
// The file structure of a PDF written front to back: numbered objects, streams
// (deflated where asked), and at the end the cross-reference table and the
// trailer. Objects go out as they are made, so a document of any length needs
// memory only for the object offsets; the bytes reach the write function in
// large pieces and at every Flush (a page's end).
//
// With more than one thread, streams are deflated on a pool while the caller
// goes on; objects still go out in the order they were written, numbered and
// placed as with one thread, so the file is the same byte for byte. Only the
// calling thread ever calls the write function.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "render/DeflatePool.h"

namespace qv::render {

class PdfObjectWriter {
public:
    // Returns false when the bytes could not be written; from then on the
    // writer writes nothing more and Failed() is true.
    using WriteFunction = std::function<bool(const unsigned char* data, size_t length)>;

    // Levels are libdeflate's (1 fastest .. 12 smallest): `contentLevel` for
    // page contents, `streamLevel` for the other streams (fonts, pictures),
    // which a document writes once each. `threads` above one deflates page
    // contents on that many worker threads.
    PdfObjectWriter(WriteFunction write, int contentLevel, int streamLevel, int threads = 1);
    ~PdfObjectWriter();
    PdfObjectWriter(PdfObjectWriter&&) noexcept;
    PdfObjectWriter& operator=(PdfObjectWriter&&) noexcept;

    // The header: version line and a comment of bytes above 127, which tells
    // transfer programs that the file is binary.
    void WriteHeader();

    // A new object number; its object may be written later (or before objects
    // with smaller numbers), but it must be written before Finish.
    int Reserve();

    // An object whose body (a dictionary, an array ...) the caller supplies.
    void WriteObject(int object, std::string_view body);
    // A stream object: `entries` are the dictionary's entries other than
    // /Length and /Filter. With `deflate` the data are compressed.
    void WriteStream(int object, std::string_view entries, std::string_view data, bool deflate);
    // A page's content stream, deflated at the content level, on a worker
    // thread when there are any.
    void WriteContentStream(int object, std::string_view data);

    // Hands the bytes ready so far to the write function; a stream still
    // being deflated, and what was written after it, follow at a later Flush.
    void Flush();
    bool Failed() const { return m_failed; }

    // The cross-reference table and the trailer for `root` and `info`, then a Flush.
    void Finish(int root, int info);

private:
    // An object that waits for a stream before it to be deflated.
    struct Pending {
        int object = 0;
        bool stream = false;
        bool deflated = false;
        std::string entries;  // a stream's; an object's body
        std::string data;     // a stream's data as it goes out, unless `job` holds it
        std::shared_ptr<DeflatePool::Job> job;
    };

    void BeginObject(int object);
    void PutObject(int object, std::string_view body);
    void PutStream(int object, std::string_view entries, std::string_view data, bool deflated);
    void Put(Pending& pending);
    // Puts the waiting objects in order, up to the first stream not yet
    // deflated, or (`all`) waiting for each.
    void PutReady(bool all);
    void FlushIfLarge();
    void WriteBuffer();

    WriteFunction m_write;
    int m_contentLevel;
    int m_streamLevel;
    std::string m_buffer;
    uint64_t m_written = 0;           // bytes handed to the write function before m_buffer
    std::vector<uint64_t> m_offsets;  // by object number; index 0 unused
    std::unique_ptr<Deflater> m_contentDeflater;
    std::unique_ptr<Deflater> m_streamDeflater;
    std::string m_deflated;
    bool m_failed = false;
    std::deque<Pending> m_pending;
    size_t m_maxPending = 0;
    std::unique_ptr<DeflatePool> m_pool;  // last: its workers stop before the rest goes
};

}  // namespace qv::render
