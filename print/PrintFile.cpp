#include "print/PrintFile.h"

#include "common/CqvEx.h"

namespace qv::render {

PrintFile::PrintFile(const std::string& path) : m_strPath(path), m_file(std::make_unique<OutputFile>(path)) {}

void PrintFile::Fail(const std::string& message) {
    Cancel();
    SetLastError(message);
    throw CqvEx(message);
}

void PrintFile::Write(const unsigned char* data, size_t length) {
    if (!m_file)
        throw CqvEx(CannotWriteMessage(m_strPath, m_bFinished ? "it is already complete" : "printing was cancelled"));
    if (!m_file->Write(data, length)) {
        // Closing reports the system's reason for the failed write.
        try {
            m_file->Close();
        } catch (const CqvEx& e) {
            Fail(e.Message());
        }
        Fail(CannotWriteMessage(m_strPath, "the write failed"));
    }
}

void PrintFile::Finish() {
    if (m_bFinished) return;
    if (!m_file) throw CqvEx(CannotWriteMessage(m_strPath, "printing was cancelled"));
    try {
        m_file->Commit();
    } catch (const CqvEx& e) {
        Fail(e.Message());
    }
    m_file.reset();
    m_bFinished = true;
}

void PrintFile::Cancel() noexcept {
    if (m_bFinished || m_bCancelled) return;
    m_bCancelled = true;
    m_file.reset();  // removes the temporary file
}

}  // namespace qv::render
