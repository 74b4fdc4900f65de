#pragma once
// The Windows registry itself, through the Win32 API. Unlike QSettings it
// keeps "/" inside a key name, so the program's key is really
// SOFTWARE\Lumivale/HRZ2000e as the unit's users know it.
#include "settings/registry_layer.h"

#ifdef _WIN32

#include <windows.h>

class TWinRegistryLayer : public IRegistryLayer {
public:
    TWinRegistryLayer() = default;
    ~TWinRegistryLayer() override;
    TWinRegistryLayer(const TWinRegistryLayer&) = delete;
    TWinRegistryLayer& operator=(const TWinRegistryLayer&) = delete;

    void SetRootKey(TRootKey root) override;
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
    HKEY RequireKey() const;
    // Type and size in bytes of a value; throws when it cannot be read.
    DWORD QueryValue(const QString& name, DWORD& size) const;

    HKEY root_ = HKEY_CURRENT_USER;
    HKEY key_ = nullptr;
};

#endif
