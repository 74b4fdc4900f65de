#pragma once
// The Windows registry through the Win32 wide API, with names and texts as
// UTF-8. Unlike QSettings it keeps "/" inside a key name, so the program's key
// is really SOFTWARE\Lumivale/HRZ2000e as the unit's users know it. Standard
// library and Win32 only: the Qt layer over it is TWinRegistryLayer.
#include "settings/registry_error.h"

#ifdef _WIN32

#include <string>

class TWinRegistry {
public:
    TWinRegistry() = default;
    ~TWinRegistry();
    TWinRegistry(const TWinRegistry&) = delete;
    TWinRegistry& operator=(const TWinRegistry&) = delete;

    void SetRootKey(TRootKey root);
    // Makes key (below the root, leading backslashes ignored) the current key;
    // false when it does not exist and may not be created.
    bool OpenKey(const std::string& key, bool canCreate);
    void CloseKey();
    // The value operations act on the current key and throw ERegistryError.
    bool ValueExists(const std::string& name);
    std::string ReadString(const std::string& name);
    int ReadInteger(const std::string& name);
    bool ReadBool(const std::string& name);
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int value);
    void WriteBool(const std::string& name, bool value);
    void DeleteValue(const std::string& name);
    // Removes key and everything below it (tests clean up with it); false when absent.
    bool DeleteTree(const std::string& key);

private:
    void* RequireKey() const;
    // Type and size in bytes of a value; throws when it cannot be read.
    unsigned long QueryValue(const std::string& name, unsigned long& size) const;

    TRootKey root_ = TRootKey::CurrentUser;
    void* key_ = nullptr; // HKEY
};

#endif
