#include "elements/CqvPicture.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "common/CqvEx.h"
#include "engine/Surface.h"
#include "platform/PictureDecoder.h"

namespace {

constexpr const char* kNoMemory = "Can not allocate enough memory";

// Even an uncompressed picture of the most pixels the decoder takes (four
// bytes each) fits in this; a larger file is no picture a report can show.
constexpr uint64_t kMaxPictureFileBytes = uint64_t{512} << 20;

// The system's text for a file that cannot be opened, as a message box shows
// it: the reason and the file, at most 255 characters.
std::string FileErrorText(const std::string& path, int error) {
    std::string text = path + ": " + std::strerror(error);
    if (text.size() > 255) text.resize(255);
    return text;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool CqvPicture::LoadFromFile(const std::string& path, uint64_t pixelBudget) {
    m_pImage.reset();
    // Only a regular file is a picture source: opening a FIFO blocks, and a
    // device such as /dev/zero never ends, so reading it whole fills the memory.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return false;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw CqvEx(FileErrorText(path, errno));
    if (::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (static_cast<uint64_t>(info.st_size) > kMaxPictureFileBytes)
        throw CqvEx("The picture file '" + path + "' is larger than " + std::to_string(kMaxPictureFileBytes) +
                    " bytes");
    std::vector<unsigned char> bytes;
    try {
        unsigned char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
            bytes.insert(bytes.end(), buffer, buffer + got);
    } catch (const std::bad_alloc&) {
        throw CqvEx(kNoMemory);
    }
    if (std::ferror(file.get())) return false;  // a folder, or a read error
    return LoadFromBytes(bytes.data(), bytes.size(), pixelBudget);
}

bool CqvPicture::LoadFromBytes(const unsigned char* bytes, size_t count, uint64_t pixelBudget) {
    try {
        m_pImage = qv::platform::DecodePicture(bytes, count, pixelBudget);
    } catch (const std::bad_alloc&) {
        throw CqvEx(kNoMemory);
    }
    return true;
}

int CqvPicture::Width() const { return m_pImage ? m_pImage->width : 0; }

int CqvPicture::Height() const { return m_pImage ? m_pImage->height : 0; }

int32_t CqvPicture::SourceRow(int32_t h, int32_t bh, int64_t boxOffset) {
    if (bh == 0) return 0;
    const double row = std::fabs(double(h) / bh * double(boxOffset));
    return row >= h ? h : static_cast<int32_t>(row);
}

// Slices run across the picture's whole width, so the box width plays no part.
void CqvPicture::Render(Surface& surface, const QvRect& rect, int32_t /*bw*/, int32_t bh, int32_t sliceTop,
                        int32_t sliceHeight) const {
    if (!m_pImage || rect.left == rect.right || rect.top == rect.bottom) return;
    const int32_t h = m_pImage->height;
    const int32_t first = SourceRow(h, bh, sliceTop);
    // A slice that reaches the box's bottom takes every remaining row, whatever
    // the rounding of its top.
    const int64_t end = int64_t{sliceTop} + sliceHeight;
    const int32_t last = end >= bh ? h : SourceRow(h, bh, end);
    if (last <= first) return;
    surface.Rectangle(rect);
    surface.DrawPicture(m_pImage, rect, first, last - first);
}
