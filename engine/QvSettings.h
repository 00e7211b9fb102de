#pragma once
// The process-wide settings: written by the report while it loads and lays out,
// read by the elements while they measure and draw. Everything runs on one
// thread, so nothing here is locked. Nothing else in the engine is global,
// except the counter behind generated element names (xml/NamedElementList.cpp),
// which must outlive every report and is reached through GeneratedNames().
#include <cstdint>

#include "xml/NamedElementList.h"

class CqvStyle;

struct QvSettings {
    // The Style named exactly "default" of the loaded template, or none. Owned by
    // the report's style list; the report clears it whenever it drops its styles.
    CqvStyle* defaultStyle = nullptr;

    // The data document's code page as loaded, and the code page the drawing code
    // converts template and data text from. The parser hands all text over as
    // UTF-8, so the report sets the latter to 65001 whatever the template declares.
    int32_t dataCodePage = 65001;
    int32_t templateCodePage = 65001;

    // Font character set for the template's code page (1 = default set).
    int32_t fontCharset = 1;

    // Text is drawn through the wide-character path; a loaded report always sets it.
    bool wideText = true;

    // Number of pages of the last PreparePages; what "[%qv_pages%]" prints.
    uint32_t pageCount = 0;

    // Set by the progress dialog's Cancel, cleared whenever a progress dialog is
    // created; read by the layout and printing loops.
    bool abort = false;

    // The one instance.
    static QvSettings& Instance();

    // The generated-name counter of the element lists ("n00001", ...).
    static int32_t& GeneratedNames() { return GeneratedNameCounter(); }
};
