#pragma once
// How a source file's bytes become the editor's text and back. The editor
// holds UTF-8, so that every character shows whatever the file's code page;
// a file whose XML declaration names another code page is converted on the
// way in and converted back on the way out, and a character that code page
// cannot hold is refused rather than written as something else. No window
// needed.
#include <string>
#include <string_view>

// A file as the editor holds it.
struct QvSourceText {
    // What the editor holds: UTF-8 when the file was converted, else the
    // file's own bytes.
    std::string text;
    // The code page the file's bytes are in; 0 when the text is the bytes.
    int codePage = 0;
    // The declaration's name for that code page ("windows-1251").
    std::string encoding;
    // The text is well-formed UTF-8 (always so when converted), so the
    // editor can show it as such.
    bool utf8 = false;

    bool Converted() const { return codePage != 0; }
};

// The editor's text for a file's bytes. A file is converted when its
// declaration names a code page other than UTF-8 that the platform can
// convert, and its bytes come back from the converted text unchanged: so a
// file opened and saved unchanged is the same file, byte for byte. Every other
// file (UTF-8, no declaration, bytes the code page does not define) is held
// as its bytes.
QvSourceText ReadSourceText(std::string_view fileBytes);

// The bytes to write for the editor's text, or the reason they cannot be.
struct QvSourceBytes {
    std::string bytes;
    // Empty on success; else a sentence (UTF-8, no final full stop) that says
    // what cannot be written.
    std::string error;
    bool Ok() const { return error.empty(); }
};

// The bytes for `text`. A text read through a code page is written in the code
// page its declaration names now, so that a changed declaration and the bytes
// stay in agreement: UTF-8 as it stands when the declaration names UTF-8 or
// none. A text held as bytes is written as it stands.
QvSourceBytes WriteSourceText(std::string_view text, bool convertedAtLoad);

// Every byte sequence is a whole UTF-8 character: no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsWellFormedUtf8(std::string_view bytes);

// "line L, column C" of a byte offset into UTF-8 text, counted from 1, columns
// in characters.
std::string LineAndColumn(std::string_view text, size_t offset);
