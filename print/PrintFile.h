#pragma once
// "Print to file": the print job's PDF written to a file instead of a queue.
// The file appears under its name only when the job finishes; a cancelled or
// failed job leaves nothing behind (and an existing file untouched).
#include <memory>
#include <string>

#include "print/PrintSink.h"
#include "render/OutputFile.h"

namespace qv::print {

class PrintFile : public PrintSink {
public:
    // Raises CqvEx naming the file when its folder cannot be written.
    explicit PrintFile(const std::string& path);
    ~PrintFile() override = default;
    PrintFile(const PrintFile&) = delete;
    PrintFile& operator=(const PrintFile&) = delete;

    void Write(const unsigned char* data, size_t length) override;
    void Finish() override;
    void Cancel() noexcept override;

    bool Finished() const override { return m_bFinished; }
    bool Cancelled() const override { return m_bCancelled; }

    const std::string& Path() const { return m_strPath; }

private:
    // Runs a step of the file; a failure cancels the file on its way out.
    template <typename Step>
    void CancelOnFailure(Step step);

    std::string m_strPath;
    std::unique_ptr<render::OutputFile> m_file;
    bool m_bFinished = false;
    bool m_bCancelled = false;
};

}  // namespace qv::print
