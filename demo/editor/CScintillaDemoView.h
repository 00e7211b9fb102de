#pragma once
// The application's editor view: XML colouring, a fixed-pitch font, and two
// small demonstrations of the component (an auto-completion list and a call
// tip). Save is offered only while the text differs from the saved one;
// Print and Print Preview go to the main window as the application's own
// report commands.
#include "demo/editor/CScintillaView.h"

class CScintillaDemoView : public CScintillaView {
    Q_OBJECT
public:
    // The component's XML lexer and the styles it colours with.
    static constexpr int kLexerXml = 5;
    static constexpr int kStyleDefault = 32;
    static constexpr int kStyleXmlDefault = 0;
    static constexpr int kStyleXmlTag = 1;
    static constexpr int kStyleXmlTagUnknown = 2;
    static constexpr int kStyleXmlAttribute = 3;
    static constexpr int kStyleXmlDoubleString = 6;

    // The word the mouse may rest on for the call tip, and the tip.
    static constexpr const char* kCallTipWord = "Block";
    static constexpr const char* kCallTipText =
        "Block: a group of items laid out one below the other;\n"
        "with xml-element-name it repeats once per data element";
    // Typed text that opens the auto-completion list, and the list.
    static constexpr const char* kAutoCompleteTrigger = "scintilla is";
    static constexpr const char* kAutoCompleteList = "very cool\neasy to use\nway cool!!";

    explicit CScintillaDemoView(QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    void OnActivateView(bool activate) override;

    bool HasCommandHandler(int id) const override;
    std::optional<bool> CommandUpdate(int id) const override;
    bool OnCommand(int id) override;

    // Between the component's save-point-left and save-point-reached notifications.
    bool SaveEnabled() const { return m_bSaveEnabled; }

signals:
    // A command for the main window (the report commands).
    void MainWindowCommand(int id);

protected:
    void OnCharAdded(int character) override;
    void OnSavePointReached() override;
    void OnSavePointLeft() override;
    void OnDwellStart(int position, int x, int y) override;
    void OnDwellEnd(int position, int x, int y) override;

private:
    bool m_bSaveEnabled = false;
};
