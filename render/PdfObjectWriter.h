#pragma once
// The file structure of a PDF written front to back: numbered objects, streams
// (deflated where asked), and at the end the cross-reference table and the
// trailer. Objects go out as they are made, so a document of any length needs
// memory only for the object offsets; the bytes reach the write function in
// large pieces and at every Flush (a page's end).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv::render {

class PdfObjectWriter {
public:
    // Returns false when the bytes could not be written; from then on the
    // writer writes nothing more and Failed() is true.
    using WriteFunction = std::function<bool(const unsigned char* data, size_t length)>;

    // `compressionLevel` is zlib's (1 fastest .. 9 smallest).
    PdfObjectWriter(WriteFunction write, int compressionLevel);
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

    // Hands the buffered bytes to the write function.
    void Flush();
    bool Failed() const { return m_failed; }

    // The cross-reference table and the trailer for `root` and `info`, then a Flush.
    void Finish(int root, int info);

private:
    struct Deflater;

    void BeginObject(int object);
    void Deflate(std::string_view data);
    void FlushIfLarge();

    WriteFunction m_write;
    int m_level;
    std::string m_buffer;
    uint64_t m_written = 0;            // bytes handed to the write function before m_buffer
    std::vector<uint64_t> m_offsets;   // by object number; index 0 unused
    std::unique_ptr<Deflater> m_deflater;
    std::string m_deflated;
    bool m_failed = false;
};

}  // namespace qv::render
