#pragma once
// Reads one XML file with Expat into a tree (a template's TinyXML document or a
// data file's compact tree, through a QvXmlTreeBuilder): the external DTD and
// entities it refers to, the DTD name checks, the code page from the encoding
// declaration, and every failure as a CqvEx naming the file. One loader serves
// one load and is destroyed with it.
#include <expat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QvXmlSource;
class QvXmlTreeBuilder;

// What one load asked of the parser, for whoever wants to watch it work.
struct CqvXmlLoadStats {
    size_t parseCalls = 0;    // blocks handed to a parser, the empty final ones included
    size_t largestBlock = 0;  // in bytes
    size_t treeBytes = 0;     // what the tree takes in memory, by the loader's count
};

class CqvXmlLoader {
public:
    // Files reach the parser in blocks of this size (longer ones only while a
    // token longer than a block is unfinished, see NextBlockSize); a file is
    // never held whole.
    static constexpr size_t kBlockSize = 512;
    // No report nests anywhere near this deep. The limit keeps a hostile file from
    // building a tree whose (recursive) destruction would exhaust the stack.
    static constexpr size_t kMaxDepth = 5000;
    // The text of one element (a paragraph, a base64 picture) and one piece of
    // markup (a tag with its attributes, a comment, a declaration) may each be
    // up to 64 MiB. Beyond that a file is refused as soon as the parser has
    // read that much of it, instead of being held in memory, twice over.
    static constexpr size_t kMaxTextBytes = size_t{64} << 20;
    static constexpr size_t kMaxMarkupBytes = size_t{64} << 20;

    // Fills `source` (paths, rules and code page set for this load) and builds
    // its tree through `builder`; `stats`, when given, is counted up by the load.
    CqvXmlLoader(QvXmlSource& source, QvXmlTreeBuilder& builder, CqvXmlLoadStats* stats = nullptr);
    CqvXmlLoader(const CqvXmlLoader&) = delete;
    CqvXmlLoader& operator=(const CqvXmlLoader&) = delete;

    // Reads the source path into the (cleared) tree.
    void LoadSourceFile();
    // Reads `text`, which stands for the document's source path, the same way.
    void LoadSourceText(std::string_view text);

    // How much to read next while the parser holds `pending` bytes of a token it
    // could not finish: one block, until that token outgrows a block; then as
    // much again as it holds, so that the token is fed in a logarithmic number
    // of calls. An older parser scans an unfinished token from its start on
    // every call, so feeding it in fixed blocks costs the square of its length.
    // Never much past the markup limit, which is checked after each call.
    static size_t NextBlockSize(size_t pending);

private:
    struct ParserFree {
        void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
    };
    using ParserPtr = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

    // An open start tag: the character data gathered for it so far.
    struct OpenElement {
        std::string gathered;
        // Set when the element's last chunk of text ran to the very end of the
        // input fed to `runParser` so far: the parser may have cut a line there,
        // and a chunk that starts exactly at `runEnd` continues the same line.
        XML_Parser runParser = nullptr;
        XML_Index runEnd = -1;
    };

    // The parsers running now, outermost first: a handler stops the innermost.
    struct ActiveParse {
        XML_Parser parser;
        XML_Index bytesFed = 0;
    };

    void ConfigureParser(XML_Parser parser);
    // Feeds the file in blocks; raises the stored handler failure or, when the
    // parser reports an error, the message `syntaxError` composes for it (for
    // the parser's own error when given none).
    template <class SyntaxErrorText>
    void ParseBlocks(XML_Parser parser, std::FILE* file, SyntaxErrorText syntaxError);

    // The handlers.
    void StartElement(const XML_Char* name, const XML_Char** attributes);
    void EndElement(const XML_Char* name);
    void CharacterData(const XML_Char* data, int length);
    void XmlDeclaration(const XML_Char* version, const XML_Char* encoding, int standalone);
    void ElementDeclaration(const XML_Char* name);
    void AttlistDeclaration(const XML_Char* element, const XML_Char* attribute, const XML_Char* type,
                            const XML_Char* defaultValue, int required);
    void ExternalEntityReference(XML_Parser parser, const XML_Char* context, const XML_Char* systemId);
    bool UnknownEncoding(const XML_Char* name, XML_Encoding* info);
    // Raises the refusal when the document's rules keep it from `path`.
    void CheckExternalAccess(const std::string& systemId, const std::string& path) const;

    // C++ exceptions never unwind through the parser's C frames: a handler's
    // failure is kept here, the running parser is stopped, and the failure is
    // raised again once XML_Parse has returned.
    void Fail(std::exception_ptr failure);
    bool Failed() const { return m_failure != nullptr; }
    XML_Parser InnermostParser() const;

    template <auto Method, class... Args>
    static void XMLCALL Guarded(void* userData, Args... args);
    static void XMLCALL OnElementDecl(void* userData, const XML_Char* name, XML_Content* model);
    static int XMLCALL OnExternalEntityRef(XML_Parser parser, const XML_Char* context, const XML_Char* base,
                                           const XML_Char* systemId, const XML_Char* publicId);
    static int XMLCALL OnUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info);

    std::string ElementErrorContext() const;
    // Counts `bytes` more of the tree (and of the text gathered for it) against
    // the rules' budget; raises once the budget is passed.
    void ChargeTree(size_t bytes);

    QvXmlSource& m_document;
    QvXmlTreeBuilder& m_builder;
    CqvXmlLoadStats* m_stats;
    ParserPtr m_mainParser;
    std::vector<ActiveParse> m_activeParses;
    std::vector<OpenElement> m_elementStack;
    // Element names the DTD declares, each with the attribute names declared for it.
    std::unordered_map<std::string, std::unordered_set<std::string>> m_declarations;
    bool m_bValidating = false;
    std::exception_ptr m_failure;
    size_t m_treeBytes = 0;
};
