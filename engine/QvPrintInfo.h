#pragma once
// The print-information record shared by the report, the preview window and the
// print flow, and the printer's device mode that carries the page setup.
#include <cstdint>
#include <string>

#include "common/QvRect.h"

// The device-mode fields the page setup fills. Length and width are tenths of a
// millimetre, stored in 16 bits like the platform record they stand for.
constexpr uint32_t kDmOrientation = 0x0001;
constexpr uint32_t kDmPaperSize = 0x0002;
constexpr uint32_t kDmPaperLength = 0x0004;
constexpr uint32_t kDmPaperWidth = 0x0008;

constexpr int16_t kDmOrientPortrait = 1;
constexpr int16_t kDmOrientLandscape = 2;
constexpr int16_t kDmPaperUser = 256;  // user-defined size: length and width apply

struct QvDevMode {
    uint32_t fields = 0;
    int16_t orientation = kDmOrientPortrait;
    int16_t paperSize = 9;  // A4 until a page setup is written
    int16_t paperLength = 0;
    int16_t paperWidth = 0;
    friend bool operator==(const QvDevMode&, const QvDevMode&) = default;
};

// A sheet of paper as it lies in the printer, in tenths of a millimetre.
struct QvPaper {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const QvPaper&, const QvPaper&) = default;
};

// The paper a page setup prints on: a landscape setup turns the page.
constexpr QvPaper PaperOf(int32_t pageWidth, int32_t pageHeight, bool landscape) {
    return landscape ? QvPaper{pageHeight, pageWidth} : QvPaper{pageWidth, pageHeight};
}

// The paper a device mode describes, by the same rule. Its 16-bit length and
// width are read unsigned, as the platform's record is, so sizes up to
// 6553.5 mm come back whole. A size the mode does not carry is A4's, the
// paper the mode starts with; a size it carries is taken as it is, zero
// included, so that an impossible page setup is refused by the surface as it
// is everywhere else rather than printed on some other paper.
constexpr QvPaper PaperOf(const QvDevMode& devMode) {
    const int32_t width = (devMode.fields & kDmPaperWidth) ? static_cast<uint16_t>(devMode.paperWidth) : 2100;
    const int32_t length = (devMode.fields & kDmPaperLength) ? static_cast<uint16_t>(devMode.paperLength) : 2970;
    return PaperOf(width, length, (devMode.fields & kDmOrientation) && devMode.orientation == kDmOrientLandscape);
}

// What the print dialog leaves behind: the chosen printer and its device mode.
struct QvPrintDialog {
    std::string deviceName;
    std::string portName;
    QvDevMode devMode;
};

struct QvPrintInfo {
    uint32_t minPage = 1;
    uint32_t maxPage = 0xFFFF;  // no page count yet
    uint32_t currentPage = 1;
    QvRect drawRect;  // the page rectangle of the last PreparePages
    bool preview = false;

    // The record's own dialog: the preview window's printer.
    QvPrintDialog dialog;
    // The dialog the user confirmed in Print; not owned.
    QvPrintDialog* userData = nullptr;
};
