#include "mpt/mpt_hints.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// Hidden and system files count too; the match ignores case, as the backup
// run's own file system may.
constexpr QDir::Filters kHintFileFilter = QDir::Files | QDir::Hidden | QDir::System;

} // namespace

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
    return THintFiles(folder).Find(cellText);
}

QString CellHintText(const QString& folder, const QString& cellText) {
    const QString file = FindHintFile(folder, cellText);
    return file.isEmpty() ? folder + HintPattern(cellText) : file;
}

THintFiles::THintFiles(const QString& folder) {
    // Every name that any cell's pattern can match has ".hrz" in it.
    if (!folder.isEmpty())
        names_ = QDir(folder).entryList({"*.hrz*"}, kHintFileFilter, QDir::Name);
}

QString THintFiles::Find(const QString& cellText) const {
    // The same wildcard match, and the same case rule, as a folder's name filter.
    const QRegularExpression pattern(
        QRegularExpression::wildcardToRegularExpression(HintPattern(cellText)),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : names_)
        if (pattern.match(name).hasMatch())
            return name;
    return {};
}
