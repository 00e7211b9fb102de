#pragma once
// An Image element: a picture from a file or from base64 text, named or held
// by the element itself (code 5) or by a value of the data (code 6). Its box
// keeps the smaller declared side and follows the picture's proportions for
// the other; a picture taller than the rest of the page is split over pages
// unless the item says nowrap.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "elements/CqvItem.h"

class CqvPicture;

class CqvImageItem : public CqvItem {
public:
    enum class DataFrom { File = 0, Base64 = 1 };

    explicit CqvImageItem(bool bound) : CqvItem(bound ? qv::kTypeXmlImage : qv::kTypeImage) {}
    ~CqvImageItem() override;

    // Common attributes and style, data-from, stretch and nowrap, then the
    // element's text: the file name with its placeholders expanded, or the
    // base64 text as written.
    void Load(const TiXmlElement& element) override;
    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                   CqvTrial* trial) override;
    // The picture with the part placed on this page; none inside a trial.
    std::unique_ptr<CqvPagePiece> CreatePiece() override;

    // The box of a picture of natural size w x h in a declared box W x H: the
    // smaller declared side stays, the other follows the picture (a square
    // declared box takes the picture's longer side).
    static std::pair<int32_t, int32_t> BoxFor(int w, int h, int32_t W, int32_t H);

    DataFrom GetDataFrom() const { return m_dataFrom; }
    const std::string& SourceText() const { return m_strSource; }
    const std::string& Path() const { return m_strPath; }
    bool Stretch() const { return m_bStretch; }
    bool NoWrap() const { return m_bNoWrap; }
    bool Fresh() const { return m_bFresh; }
    int32_t BoxWidth() const { return m_nBoxWidth; }
    int32_t BoxHeight() const { return m_nBoxHeight; }
    int32_t SliceOffset() const { return m_nSliceOffset; }
    int32_t DeclaredWidth() const { return m_nDeclaredWidth; }
    int32_t DeclaredHeight() const { return m_nDeclaredHeight; }
    bool HasPicture() const { return m_pPicture != nullptr; }

private:
    // Makes sure the item has the picture for this placement; false when there
    // is none to place (no file reference, or bytes that are no picture).
    bool LoadPicture(QvDataElement data);
    std::shared_ptr<CqvPicture> ReadPicture(QvDataElement data);
    // The value the bound item names in the data element.
    std::string DataValue(QvDataElement data) const;
    // The resolved file path, or empty when there is no file reference.
    std::string FilePath(const std::string& value) const;
    // Raises CqvEx when the process-wide data trust keeps the data's picture
    // name `value`, resolved to `path`, out of `folder`.
    static void CheckDataPictureName(const std::string& value, const std::string& folder, const std::string& path);

    DataFrom m_dataFrom = DataFrom::File;
    std::string m_strSource;
    std::string m_strPath;
    bool m_bStretch = false;
    bool m_bNoWrap = false;
    // A code-5 item names the same picture every time: it is read and decoded
    // once and drawn at every placement (each repetition of a repeated block).
    bool m_bLoadedOnce = false;
    std::shared_ptr<CqvPicture> m_pOwnPicture;
    // The picture of the current placement, and the data element it was read
    // for: a split picture, or one laid out again after a keep-with-next
    // trial, goes on with the same picture.
    std::shared_ptr<CqvPicture> m_pPicture;
    QvDataElement m_pLoadedFor;
    bool m_bFresh = false;
    int32_t m_nSliceOffset = 0;
    int32_t m_nSliceHeight = 0;
    int32_t m_nBoxWidth = 100;
    int32_t m_nBoxHeight = 100;
    int32_t m_nDeclaredWidth = 500;
    int32_t m_nDeclaredHeight = 10;
};
