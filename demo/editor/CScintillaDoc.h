#pragma once
// A document whose text lives in its views' editing control: it loads a file
// into the control, saves the control's text, and knows whether the text
// changed. Every view of one document shows the same text.
#include <QObject>
#include <QString>
#include <sys/types.h>
#include <vector>

#include "demo/editor/QvCommandTarget.h"

class CScintillaCtrl;
class CScintillaView;
class QWidget;

class CScintillaDoc : public QObject, public QvCommandTarget {
    Q_OBJECT
public:
    // Bytes read at a time when loading, and written at a time when saving.
    static constexpr qint64 kLoadBlock = 4096;
    static constexpr qint64 kSaveBlock = 4095;

    explicit CScintillaDoc(QObject* parent = nullptr);
    ~CScintillaDoc() override;

    // Views: the first one's control holds the text; later views share it.
    void AddView(CScintillaView* view);
    void RemoveView(CScintillaView* view);
    const std::vector<CScintillaView*>& Views() const { return m_views; }
    CScintillaView* GetView() const { return m_views.empty() ? nullptr : m_views.front(); }
    CScintillaCtrl* GetCtrl() const;

    const QString& GetPathName() const { return m_strPathName; }
    void SetPathName(const QString& path);
    const QString& GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);

    // Empties the text for a new document.
    virtual bool OnNewDocument();
    // Loads the file; on failure the reason is in LastError(). A file whose
    // declaration names a code page other than UTF-8 is shown converted to
    // UTF-8 when its bytes allow it.
    virtual bool OnOpenDocument(const QString& path);
    // Writes the text to the file through a temporary file beside it that
    // replaces the file only when every byte is written; on failure the old
    // file is untouched and the reason is in LastError(). A text converted on
    // loading is written in the code page its declaration names; a character
    // that code page cannot hold fails the save.
    virtual bool OnSaveDocument(const QString& path);
    // Clears the text and the undo history.
    virtual void DeleteContents();
    const QString& LastError() const { return m_strLastError; }

    // The code page the file's bytes are in when the text was converted from
    // it on loading (and is converted back on saving); 0 when the control
    // holds the file's own bytes.
    int SourceCodePage() const { return m_nSourceCodePage; }
    // The control holds well-formed UTF-8 and shows it as such; otherwise the
    // caller chooses how the bytes are shown.
    bool HoldsUtf8() const { return m_bHoldsUtf8; }

    // Whether loading makes the control read-only for a read-only file (on by default).
    void SetReadOnlyCheck(bool check) { m_bCheckReadOnly = check; }
    // A file counts as read-only when its permission bits let nobody write it,
    // or when this process may not write it.
    static bool FileIsReadOnly(const QString& path);
    static bool PermissionsReadOnly(mode_t mode);

    // Changed since loaded or saved: the document's own flag or the control's.
    bool IsModified() const;
    // Clearing the flag also sets the control's save point.
    void SetModifiedFlag(bool modified = true);

    // The commands Save, Save As and Close; the prompts they need.
    bool DoFileSave();
    // Saves under `path`, or asks for a name when it is empty. Reports a
    // failure in a message box.
    bool DoSave(const QString& path);
    // Asks to save a modified document: false when the user cancels or the
    // save fails.
    bool SaveModified();
    // Closes every window of the document after SaveModified.
    void OnFileClose();
    // Set while the document closes its own windows: they need not ask again.
    bool Closing() const { return m_bClosing; }

    bool HasCommandHandler(int id) const override;
    bool OnCommand(int id) override;

signals:
    void TitleChanged();
    // The text was written to this file by Save or Save As.
    void Saved(const QString& path);
    // The last view went away.
    void LastViewClosed();

protected:
    QWidget* DialogParent() const;

private:
    bool Fail(const QString& reason);

    std::vector<CScintillaView*> m_views;  // not owned
    QString m_strPathName;
    QString m_strTitle;
    QString m_strLastError;
    int m_nSourceCodePage = 0;
    bool m_bHoldsUtf8 = false;
    bool m_bModified = false;
    bool m_bCheckReadOnly = true;
    bool m_bClosing = false;
};
