#include "settings/qt_registry_layer.h"

#include "settings/registry_ini_format.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>

#ifndef Q_OS_WIN
#include <csignal>
#endif

namespace {

// A file name beside path that is not taken yet: path + suffix, then with 2, 3, ...
QString FreeName(const QString& path, const QString& suffix) {
    QString name = path + suffix;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = path + suffix + QString::number(n);
    return name;
}

} // namespace

QString DefaultSettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Lumivale/HRZ2000e.ini");
}

TQtRegistryLayer::TQtRegistryLayer() {
#ifdef Q_OS_WIN
    settings_ =
        std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER"), QSettings::NativeFormat);
#else
    OpenIniFile(DefaultSettingsFilePath());
#endif
}

TQtRegistryLayer::TQtRegistryLayer(const QString& iniPath) {
    OpenIniFile(iniPath);
}

TQtRegistryLayer::~TQtRegistryLayer() = default;

bool TQtRegistryLayer::ConvertOldStyleFile(const QString& iniPath) {
    QSettings old(iniPath, QSettings::IniFormat);
    if (old.status() != QSettings::NoError)
        return false;
    // Same map, other file format: every value comes over as it is.
    QSettings::SettingsMap map;
    for (const QString& key : old.allKeys()) {
        const QVariant value = old.value(key);
        map.insert(key, value.typeId() == QMetaType::QStringList
                            ? value.toStringList().join(QStringLiteral(", "))
                            : value.toString());
    }
    // The old file stays beside the new one, in case anything was missed.
    const QString kept = FreeName(iniPath, QStringLiteral(".old"));
    if (!QFile::copy(iniPath, kept))
        return false;
    QSaveFile file(iniPath);
    const QByteArray text = RegistryIni::WriteText(map);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        QFile::remove(kept);
        return false;
    }
    return true;
}

QString TQtRegistryLayer::UnusableFileReason(const QString& iniPath) {
    const QFileInfo info(iniPath);
    if (!info.exists() && !info.isSymLink())
        return {};
    if (info.isDir())
        return QStringLiteral("is a folder");
    if (!info.exists())
        return QStringLiteral("is a link to nothing");
    // A FIFO or a device would be waited on for ever.
    if (!info.isFile())
        return QStringLiteral("is not a regular file");
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read (%1)").arg(file.errorString());
    return {};
}

void TQtRegistryLayer::OpenIniFile(const QString& iniPath) {
    if (const QString reason = UnusableFileReason(iniPath); !reason.isEmpty()) {
        // What is there is not ours to move or replace: the program runs on
        // defaults kept in a file of its own until it ends.
        scratch_ = std::make_unique<QTemporaryDir>();
        notice_ = QStringLiteral("The settings file %1 %2; default settings are used and "
                                 "changes are not saved.")
                      .arg(QDir::toNativeSeparators(iniPath), reason);
        settings_ = std::make_unique<QSettings>(scratch_->filePath(QStringLiteral("HRZ2000e.ini")),
                                                RegistryIni::Format());
        return;
    }
    QSettings::Format format = RegistryIni::Format();
    if (RegistryIni::IsOldStyleFile(iniPath) && !ConvertOldStyleFile(iniPath)) {
        // Read and written the old way until it can be converted.
        format = QSettings::IniFormat;
        notice_ = QStringLiteral("The settings file %1 could not be converted to the current "
                                 "format; it is used as it is.")
                      .arg(QDir::toNativeSeparators(iniPath));
    }
    settings_ = std::make_unique<QSettings>(iniPath, format);
    if (settings_->status() != QSettings::FormatError) {
        // What a killed writer left is cleared at the start too, not only at
        // the first change.
        ClearLeftovers();
        return;
    }
    // A damaged file is kept aside for the user and the program starts on
    // defaults, rather than refusing every read and write from now on.
    settings_.reset();
    // Each damaged file keeps a name of its own: an earlier one is never replaced.
    QString aside;
    bool keptAside = false;
    for (int attempt = 0; attempt < 100 && !keptAside; ++attempt) {
        aside = FreeName(iniPath, QStringLiteral(".damaged"));
        keptAside = QFile::rename(iniPath, aside); // never replaces an existing file
        if (!keptAside && !QFile::exists(aside))
            break; // not taken by another: the rename itself cannot be done
    }
    if (keptAside)
        notice_ = QStringLiteral("The settings file %1 could not be read. It was kept as %2; "
                                 "default settings are used.")
                      .arg(QDir::toNativeSeparators(iniPath), QDir::toNativeSeparators(aside));
    else
        notice_ = QStringLiteral("The settings file %1 could not be read; default settings are "
                                 "used and changes cannot be saved.")
                      .arg(QDir::toNativeSeparators(iniPath));
    settings_ = std::make_unique<QSettings>(iniPath, RegistryIni::Format());
}

QString TQtRegistryLayer::FileName() const {
    return settings_->format() == QSettings::NativeFormat ? QString() : settings_->fileName();
}

bool TQtRegistryLayer::OpenKey(const QString& key, bool canCreate) {
    QString group = RegistryIni::GroupOfKey(key);
    if (root_ == TRootKey::LocalMachine)
        group.prepend(QStringLiteral("HKEY_LOCAL_MACHINE/"));
    bool exists = canCreate;
    if (!exists) {
        settings_->beginGroup(group);
        exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
        settings_->endGroup();
    }
    keyOpen_ = exists;
    currentGroup_ = exists ? group : QString();
    return exists;
}

void TQtRegistryLayer::CloseKey() {
    keyOpen_ = false;
    currentGroup_.clear();
}

void TQtRegistryLayer::RequireKey() const {
    if (!keyOpen_)
        throw ERegistryError("No registry key is open.");
}

QString TQtRegistryLayer::FullName(const QString& name) const {
    const QString part = RegistryIni::EscapeName(name);
    return currentGroup_.isEmpty() ? part : currentGroup_ + u'/' + part;
}

void TQtRegistryLayer::ClearLeftovers() {
    if (!settings_ || FileName().isEmpty() || scratch_)
        return;
    const QFileInfo ini(settings_->fileName());
    const QDateTime now = QDateTime::currentDateTime();
    // The lock of a writer that was killed: Qt waits 30 seconds before it takes
    // a lock it cannot read as stale, and a dead writer's pid may be in use again
    // by then, so the window would hang. A lock that names a process that is
    // gone has no writer behind it, however new; one that is empty or unreadable
    // is a writer's only once it is old enough to have its pid written.
    const QFileInfo lock(ini.filePath() + QStringLiteral(".lock"));
    QDateTime deadWriterStart;
    if (lock.exists()) {
        const bool young = lock.lastModified().msecsTo(now) <= 50;
        QFile file(lock.filePath());
        bool dead = !young;
        if (file.open(QIODevice::ReadOnly)) {
            bool ok = false;
            const qint64 pid = file.readLine().trimmed().toLongLong(&ok);
#ifndef Q_OS_WIN
            if (ok && pid > 0)
                dead = ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#else
            if (ok && pid > 0)
                dead = false;
#endif
        }
        if (dead) {
            deadWriterStart = lock.lastModified();
            QFile::remove(lock.filePath());
        }
    }
    // Temporary files Qt's atomic save leaves when the program is killed in the
    // middle of it ("HRZ2000e.ini.AbC123"). Such a file is ours only when its
    // writer's lock was left behind as well and the file was written while
    // that lock was held; any other file of that shape (a user's
    // "HRZ2000e.ini.backup") stays.
    if (!deadWriterStart.isValid())
        return;
    const QDir folder = ini.absoluteDir();
    for (const QFileInfo& entry : folder.entryInfoList({ini.fileName() + QStringLiteral(".??????")},
                                                       QDir::Files | QDir::Hidden)) {
        const QString tail = entry.fileName().mid(ini.fileName().size() + 1);
        const bool random = std::all_of(tail.begin(), tail.end(), [](QChar c) {
            return c.isLetterOrNumber() && c.unicode() < 128;
        });
        const qint64 afterLock = deadWriterStart.msecsTo(entry.lastModified());
        if (random && afterLock >= -1000 && afterLock <= 30000)
            QFile::remove(entry.filePath());
    }
}

void TQtRegistryLayer::Commit() {
    ClearLeftovers();
    settings_->sync();
    if (settings_->status() == QSettings::AccessError)
        throw ERegistryError(QStringLiteral("Cannot write the settings file %1.")
                                 .arg(QDir::toNativeSeparators(settings_->fileName()))
                                 .toStdString());
}

bool TQtRegistryLayer::ValueExists(const QString& name) {
    RequireKey();
    return settings_->contains(FullName(name));
}

QString TQtRegistryLayer::ReadString(const QString& name) {
    RequireKey();
    return settings_->value(FullName(name)).toString();
}

int TQtRegistryLayer::ReadInteger(const QString& name) {
    RequireKey();
    const QVariant v = settings_->value(FullName(name));
    bool ok = false;
    const int value = v.toString().trimmed().toInt(&ok);
    if (!ok)
        throw ERegistryBadValue(("Invalid data type for '" + name + "'.").toStdString(),
                                v.toString().toStdString());
    return value;
}

bool TQtRegistryLayer::ReadBool(const QString& name) {
    return ReadInteger(name) != 0;
}

void TQtRegistryLayer::WriteString(const QString& name, const QString& value) {
    RequireKey();
    settings_->setValue(FullName(name), value);
    Commit();
}

void TQtRegistryLayer::WriteInteger(const QString& name, int value) {
    RequireKey();
    settings_->setValue(FullName(name), value);
    Commit();
}

void TQtRegistryLayer::WriteBool(const QString& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TQtRegistryLayer::DeleteValue(const QString& name) {
    RequireKey();
    settings_->remove(FullName(name));
    Commit();
}
