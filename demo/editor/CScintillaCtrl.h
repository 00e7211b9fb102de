#pragma once
// The Scintilla editing component as a widget. Every operation sends exactly
// one component message, by its documented number, through the component's
// direct-call function (fetched once when the window is made) and returns the
// component's answer. The application relies on nothing else of the
// component: its drawing, lexing and key handling are its own.
#include <Qsci/qsciscintillabase.h>

#include <QByteArray>
#include <algorithm>
#include <cstdint>

class CScintillaCtrl : public QsciScintillaBase {
    Q_OBJECT
public:
    // Positions and lengths are byte offsets into the text, as the component counts them.
    using Position = long;

    // The component's code page for UTF-8.
    static constexpr int kCodePageUtf8 = 65001;

    explicit CScintillaCtrl(QWidget* parent = nullptr);

    // A colour as the component takes it: red in the low byte, then green, then blue.
    static constexpr uint32_t Rgb(unsigned red, unsigned green, unsigned blue) {
        return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
    }

    // One component message; direct when the component gave its direct-call
    // function, else as a window message.
    intptr_t Call(unsigned int message, uintptr_t wParam = 0, intptr_t lParam = 0) const;
    bool HasDirectCall() const { return m_directFunction != nullptr; }

    // Text
    void AddText(Position length, const char* text);  // 2001
    void ClearAll();                                  // 2004
    Position GetLength() const;                       // 2006
    Position GetTextLength() const;                   // 2183
    // The bytes from `first` up to (not including) `last`.
    QByteArray GetTextRange(Position first, Position last) const;  // 2162
    QByteArray GetText() const { return GetTextRange(0, GetLength()); }

    // Undo and the save point
    void SetUndoCollection(bool collect);  // 2012
    void SetSavePoint();                   // 2014
    bool GetModify() const;                // 2159
    void EmptyUndoBuffer();                // 2175
    bool CanUndo() const;                  // 2174
    bool CanRedo() const;                  // 2016
    bool CanPaste() const;                 // 2173
    void Undo();                           // 2176
    void Redo();                           // 2011
    void Cut();                            // 2177
    void Copy();                           // 2178
    void Paste();                          // 2179
    void Clear();                          // 2180
    void SelectAll();                      // 2013
    void Cancel();                         // 2325

    // Caret, selection, search
    void GotoPos(Position position);                  // 2025
    Position GetCurrentPos() const;                   // 2008
    Position GetSelectionStart() const;               // 2143
    Position GetSelectionEnd() const;                 // 2145
    void SetSel(Position anchor, Position caret);     // 2160
    void HideSelection(bool hide);                    // 2163
    void ReplaceSel(const QByteArray& text);          // 2170
    Position PositionAfter(Position position) const;  // 2418
    // Searches [first, last) (backwards when last < first); the hit's start
    // and end, or -1 when nothing matches.
    Position FindText(int flags, const QByteArray& text, Position first, Position last,
                      Position* hitEnd = nullptr) const;  // 2150
    int PointXFromPosition(Position position) const;      // 2164
    int PointYFromPosition(Position position) const;      // 2165
    int TextHeight(int line) const;                       // 2279

    // Modes
    void SetReadOnly(bool readOnly);  // 2171
    bool GetReadOnly() const;         // 2140
    bool GetOvertype() const;         // 2187
    void SetCodePage(int codePage);   // 2037
    int GetCodePage() const;          // 2137
    void SetTabWidth(int width);      // 2036
    int GetTabWidth() const;          // 2121

    // Look
    void StyleClearAll();                            // 2050
    void StyleSetFore(int style, uint32_t colour);   // 2051
    void StyleSetBack(int style, uint32_t colour);   // 2052
    void StyleSetSize(int style, int points);        // 2055
    void StyleSetFont(int style, const char* face);  // 2056
    uint32_t StyleGetFore(int style) const;          // 2481
    void SetMarginWidthN(int margin, int pixels);    // 2242
    int GetMarginWidthN(int margin) const;           // 2243
    void SetMouseDwellTime(int milliseconds);        // 2264
    void SetLexer(int lexer);                        // 4001
    int GetLexer() const;                            // 4002
    void SetKeyWords(int set, const char* words);    // 4005

    // Pop-ups
    void AutoCShow(Position typedLength, const char* list);  // 2100
    bool AutoCActive() const;                                // 2102
    void AutoCSetSeparator(int separator);                   // 2106
    void CallTipShow(Position position, const char* text);   // 2200
    void CallTipCancel();                                    // 2201
    bool CallTipActive() const;                              // 2202

    // Shares the document of another control (a second window on one text).
    void* GetDocPointer() const;         // 2357
    void SetDocPointer(void* document);  // 2358

private:
    using DirectFunction = intptr_t (*)(intptr_t pointer, unsigned int message, uintptr_t wParam, intptr_t lParam);

    DirectFunction m_directFunction = nullptr;
    intptr_t m_directPointer = 0;
};
