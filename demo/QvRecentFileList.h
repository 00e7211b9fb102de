#pragma once
// The recent-file list of the File menu: the last few files opened or saved,
// newest first, without repeats, kept in the settings under "Recent File List"
// as File1, File2, ...
#include <QString>
#include <QStringList>

class QSettings;

class QvRecentFileList {
public:
    explicit QvRecentFileList(int size = 4) : m_nSize(size) {}

    // Puts the file first; an entry for the same file moves instead of repeating.
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Files() const { return m_files; }
    int Size() const { return m_nSize; }

    void ReadFrom(QSettings& settings);
    void WriteTo(QSettings& settings) const;

    // The menu text of an entry: "&1 " and the path, shortened in the middle
    // when it is long.
    static QString MenuText(int index, const QString& path);

private:
    static bool SameFile(const QString& a, const QString& b);

    int m_nSize;
    QStringList m_files;
};
