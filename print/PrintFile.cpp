#include "print/PrintFile.h"

#include "common/CqvEx.h"

namespace qv::print {

PrintFile::PrintFile(const std::string& path) : m_strPath(path), m_file(std::make_unique<render::OutputFile>(path)) {}

template <typename Step>
void PrintFile::CancelOnFailure(Step step) {
    try {
        step();
    } catch (...) {
        Cancel();
        throw;
    }
}

void PrintFile::Write(const unsigned char* data, size_t length) {
    if (!m_file)
        throw CqvEx(
            render::CannotWriteMessage(m_strPath, m_bFinished ? "it is already complete" : "printing was cancelled"));
    if (m_file->Write(data, length)) return;
    CancelOnFailure([&] {
        // Closing reports the system's reason for the failed write.
        m_file->Close();
        throw CqvEx(render::CannotWriteMessage(m_strPath, "the write failed"));
    });
}

void PrintFile::Finish() {
    if (m_bFinished) return;
    if (!m_file) throw CqvEx(render::CannotWriteMessage(m_strPath, "printing was cancelled"));
    CancelOnFailure([&] { m_file->Commit(); });
    m_file.reset();
    m_bFinished = true;
}

void PrintFile::Cancel() noexcept {
    if (m_bFinished || m_bCancelled) return;
    m_bCancelled = true;
    m_file.reset();  // removes the temporary file
}

}  // namespace qv::print
