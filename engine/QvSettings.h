#pragma once
// The process-wide settings: written by the report while it loads and lays out,
// read by the elements while they measure and draw. Everything runs on one
// thread, so nothing here is locked. Nothing else in the engine is global,
// except the counter behind generated element names (xml/NamedElementList.cpp),
// which must outlive every report and is reached through GeneratedNames().
#include <csignal>
#include <cstdint>

#include "xml/NamedElementList.h"

class CqvStyle;

// How far a data file may reach beyond itself. Templates are the report
// author's and always reach anything; data comes from whoever sent it.
enum class QvDataTrust {
    // External DTDs and entities of the data only inside the data file's folder;
    // picture names from the data only inside the folder the template gives them.
    Folder,
    // No external DTD or entity at all, picture names only as plain relative
    // names inside that folder, and no resolved path of the machine in messages.
    Untrusted,
    // Everything, as written.
    Trusted,
};

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

    QvDataTrust dataTrust = QvDataTrust::Folder;

    // A flag that a signal handler outside the engine sets to ask for a stop
    // (SIGTERM, Ctrl-C); the engine only reads it. None: nothing outside asks.
    const volatile std::sig_atomic_t* interruptFlag = nullptr;
    // Asked inside long loops (loading, one page's layout, drawing a page).
    // The progress dialog's Cancel is not: it can only be pressed while the
    // dialog's abort check runs, between pages, where the loops look at it.
    bool Interrupted() const { return interruptFlag && *interruptFlag != 0; }
    // Raises CqvStopped when a stop was requested from outside.
    static void StopIfRequested();

    // The one instance.
    static QvSettings& Instance();

    // The generated-name counter of the element lists ("n00001", ...).
    static int32_t& GeneratedNames() { return GeneratedNameCounter(); }
};
