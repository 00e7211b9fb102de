#pragma once
// One loaded picture, shared by the image item that loaded it and the pieces
// that draw it (a split picture has a piece on each page), so that no piece
// can ever draw a picture that is gone.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/QvRect.h"
#include "platform/PictureDecoder.h"

class Surface;
namespace qv::platform {
struct DecodedPicture;
}

class CqvPicture {
public:
    // Reads the file whole and loads the picture it holds. Raises CqvEx with the
    // system's reason when the file cannot be opened. False when it cannot be
    // read; true otherwise, also when the bytes turned out to be no picture.
    bool LoadFromFile(const std::string& path, uint64_t pixelBudget = qv::platform::kMaxPicturePixels);
    // Loads the picture the bytes hold, replacing the current one. True also
    // when the bytes are no picture (HasPicture tells); raises CqvEx for a
    // picture that claims an absurd size, or more pixels than `pixelBudget`.
    bool LoadFromBytes(const unsigned char* bytes, size_t count,
                       uint64_t pixelBudget = qv::platform::kMaxPicturePixels);
    // Pixels held: what the picture costs the report's budget.
    uint64_t Pixels() const { return uint64_t(Width()) * uint64_t(Height()); }

    bool HasPicture() const { return m_pImage != nullptr; }
    // The natural size: pixels.
    int Width() const;
    int Height() const;
    const std::shared_ptr<const qv::platform::DecodedPicture>& Image() const { return m_pImage; }

    // Draws the part of the picture that starts `sliceTop` and is
    // `sliceHeight` high, both in box units of a box bw x bh that holds the
    // whole picture, into `rect`, over a rectangle drawn with the surface's
    // current pen and brush. Nothing for a missing picture or an empty rect.
    void Render(Surface& surface, const QvRect& rect, int32_t bw, int32_t bh, int32_t sliceTop,
                int32_t sliceHeight) const;

    // The first picture row of a slice starting `boxOffset` box units down a
    // box bh high, for a picture h rows high: trunc(|h / bh * boxOffset|).
    static int32_t SourceRow(int32_t h, int32_t bh, int64_t boxOffset);

private:
    std::shared_ptr<const qv::platform::DecodedPicture> m_pImage;
};
