#include "cli/ReportDump.h"

#include <string>

#include "elements/CqvImagePiece.h"
#include "elements/CqvTextPiece.h"
#include "engine/CqvReport.h"

namespace {

nlohmann::ordered_json RectJson(const QvRect& rect) {
    return nlohmann::ordered_json::array({rect.left, rect.top, rect.right, rect.bottom});
}

}  // namespace

nlohmann::ordered_json DumpPiece(const CqvPagePiece& piece) {
    nlohmann::ordered_json json;
    json["kind"] = std::string(piece.Kind());
    json["outer"] = RectJson(piece.Outer());
    json["content"] = RectJson(piece.Content());
    json["frameOnly"] = piece.FrameOnly();
    if (const auto* text = dynamic_cast<const CqvTextPiece*>(&piece)) {
        json["text"] = text->Text();
        json["hasPageCount"] = text->HasPageCount();
    } else if (const auto* image = dynamic_cast<const CqvImagePiece*>(&piece)) {
        json["box"] = nlohmann::ordered_json::array({image->BoxWidth(), image->BoxHeight()});
        json["sliceOffset"] = image->SliceOffset();
        json["fresh"] = image->Fresh();
    }
    return json;
}

nlohmann::ordered_json DumpReport(const CqvReport& report) {
    nlohmann::ordered_json json;
    json["pageCount"] = report.PageCount();
    const QvRect& paper = report.PageRect();
    json["paper"] = nlohmann::ordered_json::array({paper.right - paper.left, paper.bottom - paper.top});
    json["bodyArea"] = RectJson(report.BodyArea());
    nlohmann::ordered_json pages = nlohmann::ordered_json::array();
    for (size_t index = 0; index < report.PageCount(); ++index) {
        nlohmann::ordered_json page;
        page["number"] = index + 1;
        nlohmann::ordered_json pieces = nlohmann::ordered_json::array();
        for (const auto& piece : report.PagePieces(index)) pieces.push_back(DumpPiece(*piece));
        page["pieces"] = std::move(pieces);
        pages.push_back(std::move(page));
    }
    json["pages"] = std::move(pages);
    return json;
}
