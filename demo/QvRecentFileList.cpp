#include "demo/QvRecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kSection = QStringLiteral("Recent File List");
// Longest path shown whole in the menu.
constexpr qsizetype kMenuPathLength = 60;

QString Key(int index) { return QStringLiteral("File%1").arg(index + 1); }

}  // namespace

bool QvRecentFileList::SameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

void QvRecentFileList::Add(const QString& path) {
    if (path.isEmpty() || m_nSize <= 0) return;
    for (qsizetype i = 0; i < m_files.size(); ++i)
        if (SameFile(m_files[i], path)) {
            m_files.removeAt(i);
            break;
        }
    m_files.prepend(QFileInfo(path).absoluteFilePath());
    while (m_files.size() > m_nSize) m_files.removeLast();
}

void QvRecentFileList::Remove(int index) {
    if (index >= 0 && index < m_files.size()) m_files.removeAt(index);
}

void QvRecentFileList::ReadFrom(QSettings& settings) {
    m_files.clear();
    settings.beginGroup(kSection);
    for (int i = 0; i < m_nSize; ++i) {
        const QString path = settings.value(Key(i)).toString();
        if (!path.isEmpty() && !m_files.contains(path)) m_files.append(path);
    }
    settings.endGroup();
}

void QvRecentFileList::WriteTo(QSettings& settings) const {
    settings.beginGroup(kSection);
    for (int i = 0; i < m_nSize; ++i) {
        if (i < m_files.size()) settings.setValue(Key(i), m_files[i]);
        else settings.remove(Key(i));
    }
    settings.endGroup();
}

QString QvRecentFileList::MenuText(int index, const QString& path) {
    QString shown = path;
    if (shown.size() > kMenuPathLength) {
        const qsizetype keep = (kMenuPathLength - 3) / 2;
        shown = shown.left(keep) + QStringLiteral("...") + shown.right(keep);
    }
    // An ampersand in a file name is text, not a mnemonic.
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}
