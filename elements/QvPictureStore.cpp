#include "elements/QvPictureStore.h"

#include <sys/stat.h>

#include "elements/CqvPicture.h"
#include "platform/PictureDecoder.h"

std::shared_ptr<CqvPicture> QvPictureStore::FromFile(const std::string& path) {
    struct stat info {};
    const bool known = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    const FileIdentity identity{info.st_dev, info.st_ino, info.st_size, int64_t(info.st_mtim.tv_sec),
                                int64_t(info.st_mtim.tv_nsec)};
    if (known) {
        if (auto found = m_files.find(identity); found != m_files.end()) return found->second;
    }
    auto picture = std::make_shared<CqvPicture>();
    if (!picture->LoadFromFile(path, PixelsLeft())) return nullptr;
    Charge(*picture);
    if (known) m_files.emplace(identity, picture);
    return picture;
}

std::shared_ptr<CqvPicture> QvPictureStore::FromBytes(const unsigned char* bytes, size_t count) {
    auto picture = std::make_shared<CqvPicture>();
    picture->LoadFromBytes(bytes, count, PixelsLeft());
    Charge(*picture);
    return picture;
}

void QvPictureStore::Clear() {
    m_files.clear();
    m_pixelsUsed = 0;
}

uint64_t QvPictureStore::PixelsLeft() const {
    static_assert(kDefaultPixelBudget == qv::platform::kMaxReportPicturePixels);
    return m_pixelsUsed >= m_pixelBudget ? 0 : m_pixelBudget - m_pixelsUsed;
}

void QvPictureStore::Charge(const CqvPicture& picture) { m_pixelsUsed += picture.Pixels(); }
