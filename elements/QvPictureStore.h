#pragma once
// The pictures one report decodes. A file is decoded once, however many items
// and data rows name it, and shared by every piece that shows it (so a PDF
// embeds it once). All the pictures of a report together stay within a
// budget of pixels, checked against the size a picture claims before it is
// decoded.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>

class CqvPicture;

class QvPictureStore {
public:
    explicit QvPictureStore(uint64_t pixelBudget = kDefaultPixelBudget) : m_pixelBudget(pixelBudget) {}

    // The picture of the file at `path`, decoded on the first request for this
    // file (device, inode, size and modification time) and shared afterwards.
    // None when the file cannot be read as one (not a regular file, a read
    // error); a holder without a picture when its bytes are no picture. Raises
    // CqvEx as CqvPicture::LoadFromFile does, and beyond the budget.
    std::shared_ptr<CqvPicture> FromFile(const std::string& path);
    // A picture from bytes (base64 text): decoded each time, within the budget.
    std::shared_ptr<CqvPicture> FromBytes(const unsigned char* bytes, size_t count);

    uint64_t PixelsUsed() const { return m_pixelsUsed; }
    size_t FilesDecoded() const { return m_files.size(); }
    void Clear();

private:
    using FileIdentity = std::tuple<dev_t, ino_t, off_t, int64_t, int64_t>;

    uint64_t PixelsLeft() const;
    void Charge(const CqvPicture& picture);

    // kMaxReportPicturePixels of the decoder, which this header does not include.
    static constexpr uint64_t kDefaultPixelBudget = 134'217'728;

    uint64_t m_pixelBudget;
    std::map<FileIdentity, std::shared_ptr<CqvPicture>> m_files;
    uint64_t m_pixelsUsed = 0;
};
