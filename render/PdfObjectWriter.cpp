#include "render/PdfObjectWriter.h"

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

PdfObjectWriter::PdfObjectWriter(WriteFunction write, int contentLevel, int streamLevel, int threads)
    : m_write(std::move(write)), m_contentLevel(contentLevel), m_streamLevel(streamLevel), m_offsets(1, 0) {
    m_buffer.reserve(kFlushSize + 64 * 1024);
    if (threads > 1) {
        m_pool = std::make_unique<DeflatePool>(threads, contentLevel);
        // Enough to keep every worker busy while the next pages are drawn;
        // few enough that memory does not grow with the document.
        m_maxPending = 4 * static_cast<size_t>(threads);
    }
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
    if (m_pending.empty()) return PutObject(object, body);
    Pending p;
    p.object = object;
    p.entries = body;
    m_pending.push_back(std::move(p));
}

void PdfObjectWriter::PutObject(int object, std::string_view body) {
    BeginObject(object);
    m_buffer += body;
    m_buffer += "\nendobj\n";
    FlushIfLarge();
}

void PdfObjectWriter::WriteStream(int object, std::string_view entries, std::string_view data, bool deflate) {
    if (deflate) {
        if (!m_streamDeflater) m_streamDeflater = std::make_unique<Deflater>(m_streamLevel);
        m_streamDeflater->Compress(data, m_deflated);
        data = m_deflated;
    }
    if (m_pending.empty()) return PutStream(object, entries, data, deflate);
    // Behind page contents still being deflated: it waits its turn.
    Pending p;
    p.object = object;
    p.stream = true;
    p.deflated = deflate;
    p.entries = entries;
    p.data = data;
    m_pending.push_back(std::move(p));
}

void PdfObjectWriter::WriteContentStream(int object, std::string_view data) {
    if (!m_pool) {
        if (!m_contentDeflater) m_contentDeflater = std::make_unique<Deflater>(m_contentLevel);
        m_contentDeflater->Compress(data, m_deflated);
        return PutStream(object, {}, m_deflated, true);
    }
    Pending p;
    p.object = object;
    p.stream = true;
    p.deflated = true;
    p.job = m_pool->Submit(std::string(data));
    m_pending.push_back(std::move(p));
    // The oldest waits first: Put blocks until its deflating is done.
    while (m_pending.size() > m_maxPending) {
        Put(m_pending.front());
        m_pending.pop_front();
    }
}

void PdfObjectWriter::Put(Pending& pending) {
    if (!pending.stream) return PutObject(pending.object, pending.entries);
    if (pending.job) m_pool->Wait(*pending.job);
    PutStream(pending.object, pending.entries, pending.job ? pending.job->output : pending.data, pending.deflated);
}

void PdfObjectWriter::PutReady(bool all) {
    while (!m_pending.empty()) {
        Pending& front = m_pending.front();
        if (!all && front.job && !m_pool->Done(*front.job)) return;
        Put(front);
        m_pending.pop_front();
    }
}

void PdfObjectWriter::PutStream(int object, std::string_view entries, std::string_view data, bool deflated) {
    BeginObject(object);
    m_buffer += "<< /Length ";
    AppendInt(m_buffer, static_cast<int64_t>(data.size()));
    if (deflated) m_buffer += " /Filter /FlateDecode";
    if (!entries.empty()) {
        m_buffer += ' ';
        m_buffer += entries;
    }
    m_buffer += " >>\nstream\n";
    if (data.size() > kFlushSize) {
        // A large picture goes out without a copy.
        WriteBuffer();
        if (!m_failed && !m_write(reinterpret_cast<const unsigned char*>(data.data()), data.size())) m_failed = true;
        m_written += data.size();
    } else {
        m_buffer += data;
    }
    m_buffer += "\nendstream\nendobj\n";
    FlushIfLarge();
}

void PdfObjectWriter::FlushIfLarge() {
    if (m_buffer.size() >= kFlushSize) WriteBuffer();
}

void PdfObjectWriter::Flush() {
    PutReady(false);
    WriteBuffer();
}

void PdfObjectWriter::WriteBuffer() {
    if (!m_buffer.empty() && !m_failed &&
        !m_write(reinterpret_cast<const unsigned char*>(m_buffer.data()), m_buffer.size()))
        m_failed = true;
    m_written += m_buffer.size();
    m_buffer.clear();
}

void PdfObjectWriter::Finish(int root, int info) {
    PutReady(true);
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
