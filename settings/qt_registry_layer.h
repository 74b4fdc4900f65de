#pragma once
// The registry over QSettings: an INI file in the user's configuration folder
// with the same keys and names (registry_ini_format.h; Windows uses the
// registry itself, see win_registry_layer.h). A file of the earlier format is
// converted once when it is opened.
#include "settings/registry_layer.h"

#include <QSettings>
#include <memory>

class QTemporaryDir;

class TQtRegistryLayer : public IRegistryLayer {
public:
    // The platform's store: the registry on Windows, the user's settings file elsewhere.
    TQtRegistryLayer();
    // An INI file at iniPath (tests, and the non-Windows default).
    explicit TQtRegistryLayer(const QString& iniPath);
    ~TQtRegistryLayer() override;

    // The file behind the store (empty for the Windows registry).
    QString FileName() const;
    // Set when the settings file could not be read at start: what happened to it.
    QString StartupNotice() const { return notice_; }

    void SetRootKey(TRootKey root) override { root_ = root; }
    bool OpenKey(const QString& key, bool canCreate) override;
    void CloseKey() override;
    bool ValueExists(const QString& name) override;
    QString ReadString(const QString& name) override;
    int ReadInteger(const QString& name) override;
    bool ReadBool(const QString& name) override;
    void WriteString(const QString& name, const QString& value) override;
    void WriteInteger(const QString& name, int value) override;
    void WriteBool(const QString& name, bool value) override;
    void DeleteValue(const QString& name) override;

private:
    void OpenIniFile(const QString& iniPath);
    // Why the file at iniPath cannot be used at all (a folder, a FIFO, no read
    // permission); empty when it can, or when there is none yet.
    static QString UnusableFileReason(const QString& iniPath);
    // Rewrites a file of the earlier format in this one, keeping the old file
    // beside it; false (and the file untouched) when that cannot be done.
    static bool ConvertOldStyleFile(const QString& iniPath);
    QString FullName(const QString& name) const;
    void Commit();
    // Removes what a writer killed in the middle of a save leaves: its lock file,
    // and the temporary files written under that lock.
    void ClearLeftovers();
    void RequireKey() const;

    // Where the settings live while the real file cannot be used.
    std::unique_ptr<QTemporaryDir> scratch_;
    std::unique_ptr<QSettings> settings_;
    TRootKey root_ = TRootKey::CurrentUser;
    QString currentGroup_;
    bool keyOpen_ = false;
    QString notice_;
};

// Path of the user's settings file outside Windows.
QString DefaultSettingsFilePath();
