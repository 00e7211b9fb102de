#include "demo/editor/CScintillaDoc.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QSaveFile>
#include <sys/stat.h>
#include <unistd.h>

#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/CScintillaView.h"
#include "demo/editor/QvCommandIds.h"
#include "demo/editor/QvSourceEncoding.h"
#include "demo/editor/QvWaitCursor.h"

namespace {

QString Quoted(const QString& path) { return QStringLiteral("\"%1\"").arg(path); }

}  // namespace

CScintillaDoc::CScintillaDoc(QObject* parent) : QObject(parent) {}

CScintillaDoc::~CScintillaDoc() {
    for (CScintillaView* view : m_views) view->SetDocument(nullptr);
}

void CScintillaDoc::AddView(CScintillaView* view) {
    if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end()) return;
    // A later view shows the text the first one holds.
    if (CScintillaCtrl* first = GetCtrl()) view->GetCtrl().SetDocPointer(first->GetDocPointer());
    m_views.push_back(view);
    view->SetDocument(this);
    // Window titles number the views of a document.
    emit TitleChanged();
}

void CScintillaDoc::RemoveView(CScintillaView* view) {
    const auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end()) return;
    m_views.erase(it);
    view->SetDocument(nullptr);
    if (m_views.empty()) emit LastViewClosed();
    else emit TitleChanged();
}

CScintillaCtrl* CScintillaDoc::GetCtrl() const { return m_views.empty() ? nullptr : &m_views.front()->GetCtrl(); }

void CScintillaDoc::SetPathName(const QString& path) {
    m_strPathName = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(path).fileName());
}

void CScintillaDoc::SetTitle(const QString& title) {
    if (title == m_strTitle) return;
    m_strTitle = title;
    emit TitleChanged();
}

bool CScintillaDoc::Fail(const QString& reason) {
    m_strLastError = reason;
    return false;
}

void CScintillaDoc::DeleteContents() {
    CScintillaCtrl* ctrl = GetCtrl();
    if (!ctrl) return;
    QvWaitCursor wait;
    // A read-only text refuses to be cleared.
    ctrl->SetReadOnly(false);
    ctrl->ClearAll();
    ctrl->EmptyUndoBuffer();
}

bool CScintillaDoc::OnNewDocument() {
    DeleteContents();
    // A new text is written as it is typed: UTF-8.
    m_nSourceCodePage = 0;
    m_bHoldsUtf8 = true;
    if (CScintillaCtrl* ctrl = GetCtrl()) ctrl->SetCodePage(CScintillaCtrl::kCodePageUtf8);
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CScintillaDoc::PermissionsReadOnly(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

bool CScintillaDoc::FileIsReadOnly(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat status {};
    if (::stat(native.constData(), &status) != 0) return false;
    // The permission bits decide even for a user who could write anyway (root).
    return PermissionsReadOnly(status.st_mode) || ::access(native.constData(), W_OK) != 0;
}

bool CScintillaDoc::OnOpenDocument(const QString& path) {
    CScintillaCtrl* ctrl = GetCtrl();
    if (!ctrl) return Fail(QStringLiteral("%1 has no window to load into.").arg(Quoted(path)));
    if (QFileInfo(path).isDir()) return Fail(QStringLiteral("Cannot open %1: it is a folder.").arg(Quoted(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("Cannot open %1: %2.").arg(Quoted(path), file.errorString()));

    DeleteContents();
    QvWaitCursor wait;
    ctrl->Cancel();
    ctrl->SetUndoCollection(false);
    std::string bytes;
    char block[kLoadBlock];
    for (;;) {
        const qint64 got = file.read(block, kLoadBlock);
        if (got < 0) {
            ctrl->SetUndoCollection(true);
            return Fail(QStringLiteral("Cannot read %1: %2.").arg(Quoted(path), file.errorString()));
        }
        if (got == 0) break;
        bytes.append(block, static_cast<size_t>(got));
    }
    const QvSourceText source = ReadSourceText(bytes);
    m_nSourceCodePage = source.codePage;
    m_bHoldsUtf8 = source.utf8;
    // The code page first: the component reads the text in it.
    ctrl->SetCodePage(m_bHoldsUtf8 ? CScintillaCtrl::kCodePageUtf8 : 0);
    ctrl->AddText(static_cast<long>(source.text.size()), source.text.data());
    ctrl->SetReadOnly(m_bCheckReadOnly && FileIsReadOnly(path));
    ctrl->SetUndoCollection(true);
    ctrl->EmptyUndoBuffer();
    ctrl->SetSavePoint();
    ctrl->GotoPos(0);
    m_bModified = false;
    SetPathName(path);
    m_strLastError.clear();
    return true;
}

bool CScintillaDoc::OnSaveDocument(const QString& path) {
    CScintillaCtrl* ctrl = GetCtrl();
    if (!ctrl) return Fail(QStringLiteral("%1 has no text to save.").arg(Quoted(path)));
    QvWaitCursor wait;
    QByteArray text;
    const long length = ctrl->GetLength();
    for (long at = 0; at < length; at += kSaveBlock)
        text += ctrl->GetTextRange(at, std::min<long>(length, at + kSaveBlock));
    // Refused before the file is touched: nothing of it changes.
    const QvSourceBytes bytes =
        WriteSourceText(std::string_view(text.constData(), static_cast<size_t>(text.size())), m_nSourceCodePage != 0);
    if (!bytes.Ok())
        return Fail(QStringLiteral("Cannot save %1: %2. The file was not changed.")
                        .arg(Quoted(path), QString::fromStdString(bytes.error)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(
            QStringLiteral("Cannot save %1: %2. The file was not changed.").arg(Quoted(path), file.errorString()));
    if (file.write(bytes.bytes.data(), static_cast<qint64>(bytes.bytes.size())) !=
        static_cast<qint64>(bytes.bytes.size())) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Fail(QStringLiteral("Cannot save %1: %2. The file was not changed.").arg(Quoted(path), reason));
    }
    if (!file.commit())
        return Fail(
            QStringLiteral("Cannot save %1: %2. The file was not changed.").arg(Quoted(path), file.errorString()));
    SetModifiedFlag(false);
    ctrl->SetReadOnly(false);
    m_strLastError.clear();
    return true;
}

bool CScintillaDoc::IsModified() const {
    const CScintillaCtrl* ctrl = GetCtrl();
    return m_bModified || (ctrl && ctrl->GetModify());
}

void CScintillaDoc::SetModifiedFlag(bool modified) {
    m_bModified = modified;
    if (!modified)
        if (CScintillaCtrl* ctrl = GetCtrl()) ctrl->SetSavePoint();
}

QWidget* CScintillaDoc::DialogParent() const {
    if (CScintillaView* view = GetView()) return view->window();
    return QApplication::activeWindow();
}

bool CScintillaDoc::DoFileSave() {
    // A read-only file is never overwritten in place: the user picks a new name.
    if (m_strPathName.isEmpty() || FileIsReadOnly(m_strPathName)) return DoSave(QString());
    return DoSave(m_strPathName);
}

bool CScintillaDoc::DoSave(const QString& path) {
    QString target = path;
    if (target.isEmpty()) {
        const QString suggestion = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
        target = QFileDialog::getSaveFileName(DialogParent(), QStringLiteral("Save As"), suggestion,
                                              QStringLiteral("All Files (*)"));
        if (target.isEmpty()) return false;
    }
    if (!OnSaveDocument(target)) {
        QMessageBox::warning(DialogParent(), QApplication::applicationName(), m_strLastError);
        return false;
    }
    SetPathName(target);
    emit Saved(m_strPathName);
    return true;
}

bool CScintillaDoc::SaveModified() {
    if (!IsModified()) return true;
    const QString name = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
    const auto answer = QMessageBox::question(
        DialogParent(), QApplication::applicationName(), QStringLiteral("Save changes to %1?").arg(name),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::No) return true;
    return DoFileSave();
}

void CScintillaDoc::OnFileClose() {
    if (!SaveModified()) return;
    m_bClosing = true;
    // Closing a window removes its view from the list: work on a copy.
    const std::vector<CScintillaView*> views = m_views;
    for (CScintillaView* view : views) {
        if (QMdiSubWindow* frame = view->GetParentFrame()) frame->close();
        else view->close();
    }
    m_bClosing = false;
}

bool CScintillaDoc::HasCommandHandler(int id) const {
    return id == ID_FILE_SAVE || id == ID_FILE_SAVE_AS || id == ID_FILE_CLOSE;
}

bool CScintillaDoc::OnCommand(int id) {
    switch (id) {
    case ID_FILE_SAVE: DoFileSave(); return true;
    case ID_FILE_SAVE_AS: DoSave(QString()); return true;
    case ID_FILE_CLOSE: OnFileClose(); return true;
    default: return false;
    }
}
