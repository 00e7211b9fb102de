#pragma once
// What a load may reach beyond its own file, and how it learns that it should
// stop. Templates are the report author's and reach anything; data files come
// from whoever sent them.
#include <cstddef>
#include <functional>

enum class ExternalAccess {
    Any,        // external DTDs and entities anywhere on the machine
    OwnFolder,  // only inside the loaded file's own folder, links followed
    None,       // none at all: every external DTD and entity is refused
};

struct XmlLoadRules {
    ExternalAccess access = ExternalAccess::Any;
    // Asked between blocks of the file; true ends the load with CqvStopped.
    std::function<bool()> stopRequested;
    // The memory the tree may take, counted as it grows (nodes, attributes,
    // text, names). A data file's compact tree costs about 1.2 times a file of
    // short rows (the benchmark's dog register), so the default holds a data
    // file of some 850 MB of them; a template's TinyXML tree costs some 13
    // times its markup, a template of some 80 MB, which no template comes near.
    size_t maxTreeBytes = size_t{1} << 30;
};
