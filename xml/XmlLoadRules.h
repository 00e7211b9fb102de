#pragma once
// What a load may reach beyond its own file, and how it learns that it should
// stop. Templates are the report author's and reach anything; data files come
// from whoever sent them.
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
};
