#include "render/PdfObjectWriter.h"

#include <zlib.h>

#include <cstdio>

#include "common/CqvEx.h"
#include "render/PdfNumber.h"

namespace qv::render {

namespace {

// Bytes kept before they go to the write function: large enough to make few
// calls, small enough that a page's bytes leave soon.
constexpr size_t kFlushSize = 256 * 1024;
// An object number that was reserved but not yet written.
constexpr uint64_t kUnwritten = ~uint64_t{0};

}  // namespace

// One zlib stream, reset for every PDF stream instead of set up anew.
struct PdfObjectWriter::Deflater {
    z_stream z{};
    explicit Deflater(int level) {
        if (deflateInit(&z, level) != Z_OK) throw CqvEx("Can not allocate enough memory");
    }
    ~Deflater() { deflateEnd(&z); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
};

PdfObjectWriter::PdfObjectWriter(WriteFunction write, int compressionLevel)
    : m_write(std::move(write)), m_level(compressionLevel), m_offsets(1, 0) {
    m_buffer.reserve(kFlushSize + 64 * 1024);
}

PdfObjectWriter::~PdfObjectWriter() = default;
PdfObjectWriter::PdfObjectWriter(PdfObjectWriter&&) noexcept = default;
PdfObjectWriter& PdfObjectWriter::operator=(PdfObjectWriter&&) noexcept = default;

void PdfObjectWriter::WriteHeader() { m_buffer += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"; }

int PdfObjectWriter::Reserve() {
    m_offsets.push_back(kUnwritten);
    return static_cast<int>(m_offsets.size() - 1);
}

void PdfObjectWriter::BeginObject(int object) {
    m_offsets.at(static_cast<size_t>(object)) = m_written + m_buffer.size();
    AppendInt(m_buffer, object);
    m_buffer += " 0 obj\n";
}

void PdfObjectWriter::WriteObject(int object, std::string_view body) {
    BeginObject(object);
    m_buffer += body;
    m_buffer += "\nendobj\n";
    FlushIfLarge();
}

void PdfObjectWriter::Deflate(std::string_view data) {
    if (!m_deflater) m_deflater = std::make_unique<Deflater>(m_level);
    z_stream& z = m_deflater->z;
    deflateReset(&z);
    m_deflated.resize(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(m_deflated.data());
    z.avail_out = static_cast<uInt>(m_deflated.size());
    // deflateBound guarantees room for everything in one call.
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw CqvEx("Can not allocate enough memory");
    m_deflated.resize(z.total_out);
}

void PdfObjectWriter::WriteStream(int object, std::string_view entries, std::string_view data, bool deflate) {
    if (deflate) {
        Deflate(data);
        data = m_deflated;
    }
    BeginObject(object);
    m_buffer += "<< /Length ";
    AppendInt(m_buffer, static_cast<int64_t>(data.size()));
    if (deflate) m_buffer += " /Filter /FlateDecode";
    if (!entries.empty()) {
        m_buffer += ' ';
        m_buffer += entries;
    }
    m_buffer += " >>\nstream\n";
    if (data.size() > kFlushSize) {
        // A large picture goes out without a copy.
        Flush();
        if (!m_failed && !m_write(reinterpret_cast<const unsigned char*>(data.data()), data.size())) m_failed = true;
        m_written += data.size();
    } else {
        m_buffer += data;
    }
    m_buffer += "\nendstream\nendobj\n";
    FlushIfLarge();
}

void PdfObjectWriter::FlushIfLarge() {
    if (m_buffer.size() >= kFlushSize) Flush();
}

void PdfObjectWriter::Flush() {
    if (!m_buffer.empty() && !m_failed &&
        !m_write(reinterpret_cast<const unsigned char*>(m_buffer.data()), m_buffer.size()))
        m_failed = true;
    m_written += m_buffer.size();
    m_buffer.clear();
}

void PdfObjectWriter::Finish(int root, int info) {
    const uint64_t xref = m_written + m_buffer.size();
    m_buffer += "xref\n0 ";
    AppendInt(m_buffer, static_cast<int64_t>(m_offsets.size()));
    m_buffer += "\n0000000000 65535 f \n";
    char entry[48];
    for (size_t i = 1; i < m_offsets.size(); ++i) {
        if (m_offsets[i] == kUnwritten) throw CqvEx("PDF object " + std::to_string(i) + " was never written");
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(m_offsets[i]));
        m_buffer.append(entry, 20);
        FlushIfLarge();
    }
    m_buffer += "trailer\n<< /Size ";
    AppendInt(m_buffer, static_cast<int64_t>(m_offsets.size()));
    m_buffer += " /Root ";
    AppendInt(m_buffer, root);
    m_buffer += " 0 R /Info ";
    AppendInt(m_buffer, info);
    m_buffer += " 0 R >>\nstartxref\n";
    AppendInt(m_buffer, static_cast<int64_t>(xref));
    m_buffer += "\n%%EOF\n";
    Flush();
}

}  // namespace qv::render
