#include "demo/QvDocTemplate.h"

QvDocTemplate::QvDocTemplate(const QString& docString) : m_fields(docString.split(QLatin1Char('\n'))) {}

QString QvDocTemplate::GetDocString(DocStringIndex index) const {
    return index < m_fields.size() ? m_fields[index] : QString();
}

QString QvDocTemplate::FileDialogFilter() const {
    const QString all = QStringLiteral("All Files (*)");
    const QString name = GetDocString(filterName);
    const QString ext = GetDocString(filterExt);
    if (name.isEmpty() || ext.isEmpty()) return all;
    return QStringLiteral("%1 (*%2);;%3").arg(name, ext, all);
}
