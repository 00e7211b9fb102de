#pragma once
// A picture, or the part of a split picture that falls on one page.
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/CqvPagePiece.h"

class CqvPicture;

class CqvImagePiece : public CqvPagePiece {
public:
    // `sliceOffset` and `fresh` as the item recorded them: the first part of a
    // picture is fresh and its offset is the height it shows (0 when it shows
    // the whole picture); a continuation is not fresh and its offset is the
    // height shown on the pages before. `sliceHeight` is the height of the
    // picture this piece shows, in box units.
    CqvImagePiece(CqvStyle* style, std::shared_ptr<const CqvPicture> picture, int32_t boxWidth, int32_t boxHeight,
                  int32_t sliceOffset, int32_t sliceHeight, bool fresh)
        : CqvPagePiece(style),
          m_pPicture(std::move(picture)),
          m_nBoxWidth(boxWidth),
          m_nBoxHeight(boxHeight),
          m_nSliceOffset(sliceOffset),
          m_nSliceHeight(sliceHeight),
          m_bFresh(fresh) {}

    // Background, the picture's slice (unless frame only), then the borders.
    void Draw(Surface& surface) override;
    std::string_view Kind() const override { return "image"; }

    const CqvPicture* Picture() const { return m_pPicture.get(); }
    int32_t BoxWidth() const { return m_nBoxWidth; }
    int32_t BoxHeight() const { return m_nBoxHeight; }
    int32_t SliceOffset() const { return m_nSliceOffset; }
    int32_t SliceHeight() const { return m_nSliceHeight; }
    bool Fresh() const { return m_bFresh; }
    // The top of the slice this piece shows, in box units from the picture's top.
    int32_t SliceTop() const;

private:
    std::shared_ptr<const CqvPicture> m_pPicture;
    int32_t m_nBoxWidth;
    int32_t m_nBoxHeight;
    int32_t m_nSliceOffset;
    int32_t m_nSliceHeight;
    bool m_bFresh;
};
