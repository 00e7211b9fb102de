#include "elements/CqvImageItem.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "common/CqvEx.h"
#include "elements/AttributeInt.h"
#include "elements/AttributeName.h"
#include "elements/Base64.h"
#include "elements/CqvBlock.h"
#include "elements/CqvImagePiece.h"
#include "elements/CqvPicture.h"
#include "elements/CqvTrial.h"
#include "elements/ExpandFields.h"
#include "elements/ItemFactory.h"
#include "engine/CqvReport.h"
#include "engine/QvSettings.h"
#include "xml/PathInsideFolder.h"
#include "xml/ResolvePathFromBase.h"
#include "xml/DataNav.h"
#include "xml/XmlNav.h"

std::unique_ptr<CqvItem> CreateImageItem(bool bound) { return std::make_unique<CqvImageItem>(bound); }

namespace {

// A proportional side: the quotient first, then the product, then truncated.
int32_t Proportional(int numerator, int denominator, int32_t side) {
    const double value = std::trunc(double(numerator) / double(denominator) * double(side));
    if (value >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

CqvImageItem::~CqvImageItem() = default;

// ---- loading ---------------------------------------------------------------

void CqvImageItem::Load(const TiXmlElement& element) {
    CqvItem::Load(element);
    for (const TiXmlAttribute* a = qv::xml::FirstAttribute(&element); a; a = qv::xml::NextAttribute(a)) {
        const std::string name = LowerAttributeName(*a);
        const std::string& value = *qv::xml::AttributeValue(a);
        if (name == "data-from") {
            // The value is compared exactly: "File" is no value of this attribute.
            if (value == "file") m_dataFrom = DataFrom::File;
            else if (value == "base64") m_dataFrom = DataFrom::Base64;
            else throw CqvEx("Undefine value '" + value + "' in property '" + "data-from" + "'");
        } else if (name == "stretch") {
            m_bStretch = qv::xml::AttributeInt(a) != 0;
        } else if (name == "nowrap") {
            m_bNoWrap = qv::xml::AttributeInt(a) != 0;
        }
    }
    m_nDeclaredWidth = m_nWidth;
    m_nDeclaredHeight = m_nHeight;

    const std::string* text = qv::xml::ElementText(&element);
    const std::string source = text ? *text : std::string();
    if (m_dataFrom == DataFrom::Base64) m_strSource = source;
    else m_strSource = ExpandFields(source, *m_pReport, &element).text;
}

// ---- the picture -------------------------------------------------------------

std::pair<int32_t, int32_t> CqvImageItem::BoxFor(int w, int h, int32_t W, int32_t H) {
    if (w <= 0 || h <= 0) return {W, H};
    if (W < H) return {W, w == h ? W : Proportional(h, w, W)};
    if (W > H) return {w == h ? H : Proportional(w, h, H), H};
    if (w > h) return {W, Proportional(h, w, W)};
    if (w < h) return {Proportional(w, h, H), H};
    return {W, W};
}

std::string CqvImageItem::DataValue(QvDataElement data) const {
    // "child@attribute": the part before the first "@" names a child element of
    // the data element (none: the data element itself), the part after it an
    // attribute; without one the element's text is the value.
    const size_t at = m_strXmlElementName.find('@');
    const std::string elementName = m_strXmlElementName.substr(0, at);
    const QvDataElement element = elementName.empty() ? data : qv::xml::FirstChildElement(data, elementName);
    if (!element) return {};
    const std::optional<std::string_view> value =
        at == std::string::npos
            ? qv::xml::ElementText(element)
            : qv::xml::AttributeByName(element, std::string_view(m_strXmlElementName).substr(at + 1));
    return value ? std::string(*value) : std::string();
}

std::string CqvImageItem::FilePath(const std::string& value) const {
    const std::string& templateFile = m_pReport->TemplateBasePath();
    if (m_nType == qv::kTypeImage)
        return IsBlank(m_strSource) ? std::string() : ResolvePathFromBase(templateFile, m_strSource);
    // A bound item without a value has no file to show, rather than naming the
    // folder it would have been in.
    if (IsBlank(value)) return {};
    // The element's text names the folder of the data's file names; without
    // one they are the template's neighbours.
    std::string folder = m_strSource;
    if (!folder.empty() && !folder.ends_with('\\') && !folder.ends_with('/')) folder += '\\';
    folder = ResolvePathFromBase(templateFile, folder);
    const std::string path = ResolvePathFromBase(folder, value);
    CheckDataPictureName(value, folder, path);
    return path;
}

// A picture name from the data could otherwise embed any picture of the machine,
// and its success or failure would tell whether a path exists. The name is
// judged before the file is looked at, and the refusal shows the name as the
// data wrote it.
void CqvImageItem::CheckDataPictureName(const std::string& value, const std::string& folder, const std::string& path) {
    const QvDataTrust trust = QvSettings::Instance().dataTrust;
    if (trust == QvDataTrust::Trusted) return;
    const std::string refused = "The picture '" + value + "' named by the data is refused: ";
    if (trust == QvDataTrust::Untrusted && !IsPlainRelativeName(value))
        throw CqvEx(refused + "this data may name only pictures by plain relative names");
    if (!PathInsideFolder(folder, path)) throw CqvEx(refused + "it lies outside the template's picture folder");
}

std::shared_ptr<CqvPicture> CqvImageItem::ReadPicture(QvDataElement data) {
    std::shared_ptr<CqvPicture> holder;
    const std::string value = m_nType == qv::kTypeXmlImage ? DataValue(data) : std::string();
    if (m_dataFrom == DataFrom::File) {
        m_strPath = FilePath(value);
        if (m_strPath.empty()) return nullptr;
        std::error_code error;
        // Untrusted data learns no path of the machine: the message shows its own name.
        const bool hidePath =
            m_nType == qv::kTypeXmlImage && QvSettings::Instance().dataTrust == QvDataTrust::Untrusted;
        try {
            if (!std::filesystem::exists(m_strPath, error) || !(holder = m_pReport->Pictures().FromFile(m_strPath)))
                throw CqvEx("Can't load Image from file '" + (hidePath ? value : m_strPath) + "'");
        } catch (const CqvEx& e) {
            if (hidePath && e.Message().find(m_strPath) != std::string::npos)
                throw CqvEx("Can't load Image from file '" + value + "'");
            throw;
        }
    } else {
        const auto bytes = DecodeBase64(m_nType == qv::kTypeXmlImage ? value : m_strSource);
        const bool any = bytes && !bytes->empty();
        holder = m_pReport->Pictures().FromBytes(any ? bytes->data() : nullptr, any ? bytes->size() : 0);
    }
    return holder->HasPicture() ? holder : nullptr;
}

bool CqvImageItem::LoadPicture(QvDataElement data) {
    const bool sameSource = m_nType == qv::kTypeImage || m_pLoadedFor == data;
    if (IsDone() || !m_pPicture || !sameSource) {
        m_pPicture.reset();
        m_strPath.clear();
        if (m_nType == qv::kTypeImage) {
            if (!m_bLoadedOnce) {
                m_pOwnPicture = ReadPicture(data);
                m_bLoadedOnce = true;
            }
            m_pPicture = m_pOwnPicture;
        } else {
            m_pPicture = ReadPicture(data);
        }
        m_pLoadedFor = data;
        if (!m_pPicture) return false;
    }
    // A placement that starts at the picture's top is its first part.
    m_bFresh = m_nProgress <= 0;
    if (m_bStretch) {
        // The picture fills the box the item declares.
        m_nBoxWidth = m_nDeclaredWidth;
        m_nBoxHeight = m_nDeclaredHeight;
    } else {
        std::tie(m_nBoxWidth, m_nBoxHeight) =
            BoxFor(m_pPicture->Width(), m_pPicture->Height(), m_nDeclaredWidth, m_nDeclaredHeight);
    }
    return true;
}

// ---- layout ------------------------------------------------------------------

int32_t CqvImageItem::Layout(Surface&, QvPrintInfo&, int32_t y, QvDataElement data, QvRect& itemRect, CqvTrial* trial) {
    if (trial) trial->Register(*this);
    if (!LoadPicture(data)) {
        // Nothing to show: the item ends here without taking room.
        itemRect = ItemRect(y);
        Finish();
        return qv::kLayoutNothing;
    }

    const QvRect& body = m_pReport->BodyArea();
    // In the page header and footer every item sits at its own top below the
    // position its block gives.
    int64_t top = m_bAbsolute ? int64_t{y} + m_nTop : int64_t{y};
    const int64_t left = int64_t{body.left} + m_nLeft;
    QvRect box{qv::Clamp32(left), qv::Clamp32(-top), qv::Clamp32(left + m_nBoxWidth),
               qv::Clamp32(-(top + m_nBoxHeight))};
    if (box.right > body.right) box.right = body.right;
    auto done = [&](int32_t result) {
        m_rcContent = box;
        itemRect = box;
        return result;
    };

    if (m_nBoxHeight > int64_t{body.bottom} - body.top) {
        m_pPicture.reset();
        throw CqvEx("Image Hight > Paper Hight");
    }
    const int64_t limit = BottomLimit();
    // A split picture goes on with the part not yet shown.
    const int64_t placedBefore = m_nProgress > 0 ? m_nProgress : 0;
    const int64_t remaining = m_nBoxHeight - placedBefore;

    // In a form on a page that holds nothing yet, a picture that finds no
    // room below its top would find none on the next page either: the form
    // goes on there at the same place. It rises as far as it needs, as a text
    // in a form does, rather than waiting for ever; one that fits in part
    // (and is not nowrap) is split as before.
    if (m_bAbsolute && top + remaining > limit && (m_bNoWrap || limit - top <= 1) && InFormInBody()) {
        if (const std::optional<int32_t> risen = RisenTop(remaining)) {
            top = std::min<int64_t>(top, *risen);
            box.top = qv::Clamp32(-top);
            box.bottom = qv::Clamp32(-(top + m_nBoxHeight));
        }
    }
    // Kept whole, it waits for a page with room; in the flow, on a page where
    // nothing has been placed yet no later page has more, so it is split there
    // instead of moving on forever.
    if (top + remaining > limit && m_bNoWrap && (m_bAbsolute || !m_pReport->PageEmpty()))
        return done(qv::kLayoutNextPage);
    // Kept off a page that holds nothing yet by the spaces above it alone, a
    // picture in the flow would be kept off every next page the same way: it
    // rises there as far as its rest needs, and what follows it goes on.
    if (!m_bAbsolute && limit - top <= 1) {
        if (const std::optional<int32_t> risen = RisenTop(remaining)) {
            top = *risen;
            box.top = qv::Clamp32(-top);
        }
    }
    box.bottom = qv::Clamp32(box.top - remaining);

    if (top + remaining > limit) {
        const int64_t placed = limit - top;
        // Less than a row of it fits: all of it goes to the next page, rather
        // than a sliver that the block would not count as placed.
        if (placed <= 1) return done(qv::kLayoutNextPage);
        box.bottom = qv::Clamp32(box.top - placed);
        // The first part shows the picture's top, as high as placed; a further
        // part (a picture that needs three pages) starts below what was shown.
        m_nSliceOffset = qv::Clamp32(m_bFresh ? placed : placedBefore);
        m_nSliceHeight = qv::Clamp32(placed);
        m_nProgress = qv::Clamp32(placedBefore + placed);
        return done(qv::Clamp32(-placed));
    }
    m_nSliceOffset = qv::Clamp32(placedBefore);
    m_nSliceHeight = qv::Clamp32(remaining);
    Finish();
    return done(qv::Clamp32(remaining));
}

std::unique_ptr<CqvPagePiece> CqvImageItem::CreatePiece() {
    if (m_bInTrial) return nullptr;
    auto piece = std::make_unique<CqvImagePiece>(&m_style, m_pPicture, m_nBoxWidth, m_nBoxHeight, m_nSliceOffset,
                                                 m_nSliceHeight, m_bFresh);
    // The block moves the box in by the paddings.
    piece->m_rcContent = m_rcContent;
    // A finished picture now belongs to its pieces.
    if (IsDone()) m_pPicture.reset();
    return piece;
}
