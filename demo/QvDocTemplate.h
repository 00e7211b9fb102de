#pragma once
// The application's one document type, described by its document string:
// seven fields separated by line feeds (window title, document name, name for
// File New, filter name, filter extension, file type id, file type name).
#include <QString>
#include <QStringList>

class QvDocTemplate {
public:
    enum DocStringIndex {
        windowTitle = 0,
        docName = 1,
        fileNewName = 2,
        filterName = 3,
        filterExt = 4,
        regFileTypeId = 5,
        regFileTypeName = 6,
    };

    explicit QvDocTemplate(const QString& docString);

    QString GetDocString(DocStringIndex index) const;
    // The file dialogs' filter: the type's own, or every file when it has none.
    QString FileDialogFilter() const;

private:
    QStringList m_fields;
};

// Document string 129 of the application.
inline constexpr const char* kQvDocString =
    "\nQuorvaneDemo\nQuorvaneDemo\n\n\nQuorvaneDemo.Document\nQuorvaneDemo.Document";
