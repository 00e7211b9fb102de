#include "xml/CqvXmlLoader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "common/AsciiText.h"
#include "common/CqvEx.h"
#include "common/CqvStopped.h"
#include "platform/CodePages.h"
#include "xml/QvXmlSource.h"
#include "xml/QvXmlTreeBuilder.h"
#include "xml/PathInsideFolder.h"
#include "xml/ResolvePathFromBase.h"

namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileClose>;

struct InputFile {
    FilePtr file;  // null when the file could not be opened
    bool empty = false;
    int error = 0;  // errno of the failed open
};

// Opens a regular file for binary reading. Anything else is refused before it is
// opened: fopen succeeds on a folder on Linux, a FIFO blocks the open, and a
// device may never end.
InputFile OpenInputFile(const std::string& path) {
    InputFile input;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        input.error = errno;
        return input;
    }
    if (!S_ISREG(info.st_mode)) {
        input.error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return input;
    }
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        input.error = errno;
        return input;
    }
    // The size of what was opened, not of what the name pointed to a moment ago.
    if (::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        input.error = errno ? errno : EINVAL;
        return input;
    }
    input.empty = info.st_size == 0;
    input.file = std::move(file);
    return input;
}

// `what` replaces the parser's own error text when given.
std::string SyntaxError(XML_Parser parser, const std::string& path, const char* beforePosition,
                        const std::string* what = nullptr) {
    const XML_LChar* error = XML_ErrorString(XML_GetErrorCode(parser));
    const std::string text = what ? *what : error ? error : "unknown error";
    return "In file '" + path + "' \n" + text + beforePosition + "at line " +
           std::to_string(XML_GetCurrentLineNumber(parser)) + " char " +
           std::to_string(XML_GetCurrentColumnNumber(parser));
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsXmlWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// One character of a double-byte code page; -1 when the bytes are not one.
int XMLCALL ConvertTwoBytes(void* data, const char* bytes) noexcept {
    try {
        const int codePage = *static_cast<const int*>(data);
        auto wide = qv::platform::MultiByteToUtf16(codePage, std::string_view(bytes, 2));
        return wide && wide->size() == 1 ? (*wide)[0] : -1;
    } catch (...) {
        return -1;
    }
}

void XMLCALL ReleaseCodePage(void* data) noexcept { std::unique_ptr<int> owned(static_cast<int*>(data)); }

void XMLCALL IgnoreEntityDeclaration(void*, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                     const XML_Char*, const XML_Char*, const XML_Char*) {}

}  // namespace

CqvXmlLoader::CqvXmlLoader(QvXmlSource& source, QvXmlTreeBuilder& builder, CqvXmlLoadStats* stats)
    : m_document(source), m_builder(builder), m_stats(stats), m_mainParser(XML_ParserCreate(nullptr)) {
    if (!m_mainParser) throw CqvEx("Could not create XML parser.");
    ConfigureParser(m_mainParser.get());
}

void CqvXmlLoader::ConfigureParser(XML_Parser parser) {
    XML_SetUserData(parser, this);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_ALWAYS);
    XML_SetExternalEntityRefHandler(parser, &OnExternalEntityRef);
    XML_SetElementDeclHandler(parser, &OnElementDecl);
    XML_SetAttlistDeclHandler(parser, &Guarded<&CqvXmlLoader::AttlistDeclaration>);
    XML_SetEntityDeclHandler(parser, &IgnoreEntityDeclaration);
    XML_SetXmlDeclHandler(parser, &Guarded<&CqvXmlLoader::XmlDeclaration>);
    XML_SetElementHandler(parser, &Guarded<&CqvXmlLoader::StartElement>, &Guarded<&CqvXmlLoader::EndElement>);
    XML_SetCharacterDataHandler(parser, &Guarded<&CqvXmlLoader::CharacterData>);
    XML_SetUnknownEncodingHandler(parser, &OnUnknownEncoding, this);
}

void CqvXmlLoader::LoadSourceFile() {
    const std::string& path = m_document.SourcePath();
    InputFile input = OpenInputFile(path);
    if (!input.file) throw CqvEx("The file '" + path + "' was not opened");
    if (input.empty) throw CqvEx("The file '" + path + "' is empty");
    XML_Parser parser = m_mainParser.get();
    ParseBlocks(parser, input.file.get(),
                [&](const std::string* what) { return SyntaxError(parser, path, " ", what); });
}

void CqvXmlLoader::LoadSourceText(std::string_view text) {
    const std::string& path = m_document.SourcePath();
    if (text.empty()) throw CqvEx("The file '" + path + "' is empty");
    // A stream over the caller's bytes, so that memory and files take the same
    // block-by-block road through the parser and its limits.
    FilePtr file(fmemopen(const_cast<char*>(text.data()), text.size(), "rb"));
    if (!file) throw CqvEx("The file '" + path + "' was not opened");
    XML_Parser parser = m_mainParser.get();
    ParseBlocks(parser, file.get(), [&](const std::string* what) { return SyntaxError(parser, path, " ", what); });
}

template <class SyntaxErrorText>
void CqvXmlLoader::ParseBlocks(XML_Parser parser, std::FILE* file, SyntaxErrorText syntaxError) {
    m_activeParses.push_back({parser});
    struct PopActive {
        std::vector<ActiveParse>& parses;
        ~PopActive() { parses.pop_back(); }
    } popActive{m_activeParses};

    size_t blockSize = kBlockSize;
    const std::function<bool()>& stopRequested = m_document.LoadRules().stopRequested;
    for (;;) {
        if (stopRequested && stopRequested()) throw CqvStopped();
        // Read straight into the parser's own buffer, which holds an unfinished
        // token anyway: a long token is then kept once, not twice.
        void* block = XML_GetBuffer(parser, static_cast<int>(blockSize));
        if (!block) throw CqvEx(syntaxError(nullptr));
        // A short read ends the file; a file whose size is a multiple of the block
        // size therefore ends with an empty final block.
        const size_t got = std::fread(block, 1, blockSize, file);
        const bool final = got < blockSize;
        m_activeParses.back().bytesFed += static_cast<XML_Index>(got);
        if (m_stats) {
            ++m_stats->parseCalls;
            m_stats->largestBlock = std::max(m_stats->largestBlock, got);
        }
        const XML_Status status = XML_ParseBuffer(parser, static_cast<int>(got), final ? XML_TRUE : XML_FALSE);
        if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
        if (status != XML_STATUS_OK) throw CqvEx(syntaxError(nullptr));
        if (final) return;
        // Outside its handlers the parser's position is just past what it has
        // parsed; the rest it holds as an unfinished token. Text is handed over
        // as it comes, so only markup can pile up like this.
        const XML_Index parsed = std::max<XML_Index>(XML_GetCurrentByteIndex(parser), 0);
        const auto pending = static_cast<size_t>(m_activeParses.back().bytesFed - parsed);
        if (pending > kMaxMarkupBytes) {
            const std::string what = "markup longer than " + std::to_string(kMaxMarkupBytes) + " bytes";
            throw CqvEx(syntaxError(&what));
        }
        blockSize = NextBlockSize(pending);
    }
}

size_t CqvXmlLoader::NextBlockSize(size_t pending) {
    if (pending < kBlockSize) return kBlockSize;
    const size_t room = pending < kMaxMarkupBytes ? kMaxMarkupBytes - pending : 0;
    return std::max(kBlockSize, std::min(pending, room));
}

void CqvXmlLoader::Fail(std::exception_ptr failure) {
    if (!m_failure) m_failure = std::move(failure);
    XML_StopParser(InnermostParser(), XML_FALSE);
}

XML_Parser CqvXmlLoader::InnermostParser() const { return m_activeParses.back().parser; }

std::string CqvXmlLoader::ElementErrorContext() const { return "Error in file '" + m_document.SourcePath() + "'\n"; }

void CqvXmlLoader::ChargeTree(size_t bytes) {
    m_treeBytes += bytes;
    if (m_stats) m_stats->treeBytes = m_treeBytes;
    const size_t budget = m_document.LoadRules().maxTreeBytes;
    if (m_treeBytes > budget)
        throw CqvEx("The elements, attributes and text read so far take more than " + std::to_string(budget) +
                    " bytes of memory: the file is too large to load\n" + ElementErrorContext());
}

template <auto Method, class... Args>
void XMLCALL CqvXmlLoader::Guarded(void* userData, Args... args) {
    auto* self = static_cast<CqvXmlLoader*>(userData);
    // A stopped parser may still report the rest of the current token.
    if (self->Failed()) return;
    try {
        (self->*Method)(args...);
    } catch (...) {
        self->Fail(std::current_exception());
    }
}

void XMLCALL CqvXmlLoader::OnElementDecl(void* userData, const XML_Char* name, XML_Content* model) {
    auto* self = static_cast<CqvXmlLoader*>(userData);
    // The content model is ours to free and is never checked.
    XML_FreeContentModel(self->InnermostParser(), model);
    Guarded<&CqvXmlLoader::ElementDeclaration>(userData, name);
}

int XMLCALL CqvXmlLoader::OnExternalEntityRef(XML_Parser parser, const XML_Char* context, const XML_Char* /*base*/,
                                              const XML_Char* systemId, const XML_Char* /*publicId*/) {
    auto* self = static_cast<CqvXmlLoader*>(XML_GetUserData(parser));
    if (self->Failed()) return XML_STATUS_ERROR;
    try {
        self->ExternalEntityReference(parser, context, systemId);
        return XML_STATUS_OK;
    } catch (...) {
        // The nested parse has returned by now, so the innermost parser is this
        // one: stopping it carries the failure out one level.
        self->Fail(std::current_exception());
        return XML_STATUS_ERROR;
    }
}

int XMLCALL CqvXmlLoader::OnUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info) {
    auto* self = static_cast<CqvXmlLoader*>(data);
    // The declaration handler runs first; when it refused the name, so do we.
    if (self->Failed()) return 0;
    try {
        return self->UnknownEncoding(name, info) ? 1 : 0;
    } catch (...) {
        self->Fail(std::current_exception());
        return 0;
    }
}

void CqvXmlLoader::StartElement(const XML_Char* name, const XML_Char** attributes) {
    if (m_bValidating && !m_declarations.contains(name))
        throw CqvEx("Element '" + std::string(name) + "' is not define in DTD\n" + ElementErrorContext());
    if (m_elementStack.size() >= kMaxDepth)
        throw CqvEx("Element '" + std::string(name) + "' is nested deeper than " + std::to_string(kMaxDepth) +
                    " levels\n" + ElementErrorContext());

    ChargeTree(m_builder.OpenElement(name));
    for (const XML_Char** pair = attributes; pair[0]; pair += 2) {
        if (m_bValidating && !m_declarations[name].contains(pair[0]))
            throw CqvEx("Attribute '" + std::string(pair[0]) + "' on element '" + name + "' is not define in DTD\n" +
                        ElementErrorContext());
        ChargeTree(m_builder.AddAttribute(pair[0], pair[1]));
    }
    m_elementStack.emplace_back();
}

void CqvXmlLoader::EndElement(const XML_Char* /*name*/) {
    ChargeTree(m_builder.CloseElement(m_elementStack.back().gathered));
    m_elementStack.pop_back();
}

void CqvXmlLoader::CharacterData(const XML_Char* data, int length) {
    if (length <= 0 || m_elementStack.empty()) return;
    OpenElement& open = m_elementStack.back();
    std::string& gathered = open.gathered;
    std::string_view chunk(data, static_cast<size_t>(length));
    if (gathered.size() + chunk.size() > kMaxTextBytes)
        throw CqvEx("The text of element '" + std::string(m_builder.OpenElementName()) + "' is longer than " +
                    std::to_string(kMaxTextBytes) + " bytes\n" + ElementErrorContext());

    const ActiveParse& parse = m_activeParses.back();
    const XML_Index start = XML_GetCurrentByteIndex(parse.parser);
    // Line breaks come as chunks of their own. Any other chunk that starts where
    // the previous one was cut off by the end of a block is the same line going on:
    // its white space is written text, not indentation.
    const bool continuesLine =
        chunk.front() != '\n' && start >= 0 && open.runParser == parse.parser && start == open.runEnd;
    // Everything gathered is counted, the separating space included.
    const size_t gatheredBefore = gathered.size();
    if (!continuesLine) {
        // Leading white space collapses into at most one separating space, and
        // none at the very start of the element's text.
        bool spaceOwed = !gathered.empty() && gathered.back() != ' ';
        size_t skipped = 0;
        while (skipped < chunk.size() && IsXmlWhiteSpace(chunk[skipped])) {
            if (spaceOwed) {
                gathered.push_back(' ');
                spaceOwed = false;
            }
            ++skipped;
        }
        chunk.remove_prefix(skipped);
    }
    gathered.append(chunk);
    ChargeTree(gathered.size() - gatheredBefore);

    const XML_Index end = start + XML_GetCurrentByteCount(parse.parser);
    const bool cutAtBlockEnd = !chunk.empty() && start >= 0 && end == parse.bytesFed;
    open.runParser = cutAtBlockEnd ? parse.parser : nullptr;
    open.runEnd = cutAtBlockEnd ? end : -1;
}

void CqvXmlLoader::XmlDeclaration(const XML_Char* /*version*/, const XML_Char* encoding, int /*standalone*/) {
    // Without an encoding the document keeps UTF-8, which is what the parser reads.
    if (!encoding) return;
    m_document.SetCodePage(qv::AsciiLower(encoding));
}

void CqvXmlLoader::ElementDeclaration(const XML_Char* name) {
    m_bValidating = true;
    m_declarations.try_emplace(name);
}

void CqvXmlLoader::AttlistDeclaration(const XML_Char* element, const XML_Char* attribute, const XML_Char* /*type*/,
                                      const XML_Char* /*defaultValue*/, int /*required*/) {
    m_declarations[element].insert(attribute);
}

void CqvXmlLoader::ExternalEntityReference(XML_Parser parser, const XML_Char* context, const XML_Char* systemId) {
    if (!systemId) return;
    // The parser's base is not used: references inside an external DTD resolve
    // against the main file's folder too.
    const std::string path = ResolvePathFromBase(m_document.BasePath(), systemId);
    CheckExternalAccess(systemId, path);
    InputFile input = OpenInputFile(path);
    if (!input.file) {
        std::string message = "The file '" + path + "' was not opened\n";
        if (input.error != 0) message += std::strerror(input.error);
        throw CqvEx(message);
    }
    if (input.empty) throw CqvEx("The file '" + path + "' is empty");

    ParserPtr external(XML_ExternalEntityParserCreate(parser, context, nullptr));
    if (!external) throw CqvEx("Could not create external entity parser.");
    ConfigureParser(external.get());
    XML_Parser entityParser = external.get();
    ParseBlocks(entityParser, input.file.get(),
                [&](const std::string* what) { return SyntaxError(entityParser, path, "\n", what); });
}

// A data file's DTD or entity could otherwise read any file of the machine into
// the report, or into an error message. The refusal names the reference as
// written and never the resolved path, so that it tells nothing of the machine.
void CqvXmlLoader::CheckExternalAccess(const std::string& systemId, const std::string& path) const {
    const ExternalAccess access = m_document.LoadRules().access;
    if (access == ExternalAccess::Any) return;
    const std::string refused = "The external DTD or entity '" + systemId + "' of the file '" +
                                FileNameOf(m_document.SourcePath()) + "' is refused: ";
    if (access == ExternalAccess::None) throw CqvEx(refused + "this data may not refer to other files");
    if (!PathInsideFolder(ResolvePathFromBase(m_document.BasePath(), ""), path))
        throw CqvEx(refused + "it lies outside the data file's folder");
}

bool CqvXmlLoader::UnknownEncoding(const XML_Char* name, XML_Encoding* info) {
    // Every code page of the encoding table that the platform converts and that
    // has at most two bytes a character is read through our own byte map, not
    // only the windows- pages: a koi8-r or ibm866 file is as much a report's
    // input as a windows-1251 one. (The declaration handler has refused every
    // name outside the table by now.)
    const CodePageEntry* entry = FindCodePageEntry(qv::AsciiLower(name));
    if (!entry) return false;
    const int codePage = entry->codePage;
    const auto cpInfo = qv::platform::GetCodePageInfo(codePage);
    if (!cpInfo || cpInfo->maxCharSize > 2) return false;

    for (int& unit : info->map) unit = -1;
    for (const auto& [first, last] : cpInfo->leadByteRanges) {
        for (int byte = first; byte <= last; ++byte) info->map[byte] = -2;
    }
    for (int byte = 0; byte < 256; ++byte) {
        if (info->map[byte] != -1) continue;
        const char single = static_cast<char>(byte);
        auto wide = qv::platform::MultiByteToUtf16(codePage, std::string_view(&single, 1));
        if (wide && wide->size() == 1) info->map[byte] = (*wide)[0];
    }
    // Markup is ASCII: a page that moves ASCII elsewhere (the EBCDIC pages, the
    // national variants) cannot carry an XML document, and the parser refuses it.
    for (int byte = 0; byte < 0x80; ++byte) {
        if (info->map[byte] != byte) return false;
    }

    // The parser now hands this document's text over as UTF-8.
    m_document.SetCodePage("utf-8");
    info->convert = &ConvertTwoBytes;
    info->release = &ReleaseCodePage;
    info->data = std::make_unique<int>(codePage).release();
    return true;
}
