#include "mpt/mpt_hints.h"

#include <QDir>

QString NativeFolder(const QString& folder) {
    QString form = QDir::toNativeSeparators(folder);
    if (!form.isEmpty() && !form.endsWith(QDir::separator()))
        form += QDir::separator();
    return form;
}

QString HintPattern(const QString& cellText) {
    return "*.hrz" + cellText;
}

QString FindHintFile(const QString& folder, const QString& cellText) {
    if (folder.isEmpty())
        return {};
    // Hidden and system files count too; the match ignores case, as the
    // backup run's own file system may.
    const QStringList found = QDir(folder).entryList(
        {HintPattern(cellText)}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    return found.isEmpty() ? QString() : found.first();
}

QString CellHintText(const QString& folder, const QString& cellText) {
    const QString file = FindHintFile(folder, cellText);
    return file.isEmpty() ? folder + HintPattern(cellText) : file;
}
