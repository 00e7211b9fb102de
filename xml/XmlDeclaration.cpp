#include "xml/XmlDeclaration.h"

namespace {

// A declaration is short; one that does not end within this many bytes is
// not read at all.
constexpr size_t kLongestDeclaration = 1024;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

class DeclarationReader {
public:
    explicit DeclarationReader(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_at >= m_text.size(); }
    bool Skip(std::string_view literal) {
        if (m_text.substr(m_at, literal.size()) != literal) return false;
        m_at += literal.size();
        return true;
    }
    // True when at least one white-space character was skipped.
    bool SkipSpace() {
        const size_t start = m_at;
        while (!AtEnd() && IsSpace(m_text[m_at])) ++m_at;
        return m_at > start;
    }
    std::string_view Name() {
        const size_t start = m_at;
        while (!AtEnd() && m_text[m_at] != '=' && !IsSpace(m_text[m_at]) && m_text[m_at] != '?') ++m_at;
        return m_text.substr(start, m_at - start);
    }
    std::optional<std::string_view> QuotedValue() {
        if (AtEnd() || (m_text[m_at] != '"' && m_text[m_at] != '\'')) return std::nullopt;
        const char quote = m_text[m_at++];
        const size_t end = m_text.find(quote, m_at);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view value = m_text.substr(m_at, end - m_at);
        m_at = end + 1;
        return value;
    }

private:
    std::string_view m_text;
    size_t m_at = 0;
};

}  // namespace

std::optional<std::string> DeclaredEncoding(std::string_view bytes) {
    const size_t end = bytes.substr(0, kLongestDeclaration).find("?>");
    if (end == std::string_view::npos) return std::nullopt;
    DeclarationReader reader(bytes.substr(0, end));
    // "<?xml-stylesheet" and the like are processing instructions, not declarations.
    if (!reader.Skip("<?xml") || !reader.SkipSpace()) return std::nullopt;
    while (!reader.AtEnd()) {
        const std::string_view name = reader.Name();
        reader.SkipSpace();
        if (name.empty() || !reader.Skip("=")) return std::nullopt;
        reader.SkipSpace();
        const std::optional<std::string_view> value = reader.QuotedValue();
        if (!value) return std::nullopt;
        if (name == "encoding") {
            std::string lower;
            for (char c : *value) lower.push_back(AsciiLower(c));
            return lower;
        }
        // Pseudo-attributes are separated by white space.
        if (!reader.SkipSpace() && !reader.AtEnd()) return std::nullopt;
    }
    return std::nullopt;
}
