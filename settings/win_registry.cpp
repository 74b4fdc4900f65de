#include "settings/win_registry.h"

#ifdef _WIN32

#include "model/file_path.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

HKEY RootHandle(TRootKey root) {
    return root == TRootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The system's own text for a registry error code.
std::string SystemText(LSTATUS code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length ? Utf8FromWide(std::wstring(buffer, length)) : std::string();
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "Registry error " + std::to_string(code) + "." : text;
}

std::string InvalidType(const std::string& name) {
    return "Invalid data type for '" + name + "'.";
}

void Check(LSTATUS result) {
    if (result != ERROR_SUCCESS)
        throw ERegistryError(SystemText(result));
}

} // namespace

TWinRegistry::~TWinRegistry() {
    CloseKey();
}

void TWinRegistry::SetRootKey(TRootKey root) {
    root_ = root;
}

bool TWinRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    const std::wstring path =
        WideFromUtf8(key.substr(std::min(key.find_first_not_of('\\'), key.size())));
    HKEY opened = nullptr;
    LSTATUS result;
    if (canCreate)
        result =
            RegCreateKeyExW(RootHandle(root_), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &opened, nullptr);
    else {
        result = RegOpenKeyExW(RootHandle(root_), path.c_str(), 0, KEY_READ | KEY_WRITE, &opened);
        // A key the user may only read can still be read.
        if (result == ERROR_ACCESS_DENIED)
            result = RegOpenKeyExW(RootHandle(root_), path.c_str(), 0, KEY_READ, &opened);
    }
    if (result != ERROR_SUCCESS)
        return false;
    key_ = opened;
    return true;
}

void TWinRegistry::CloseKey() {
    if (key_ != nullptr)
        RegCloseKey(static_cast<HKEY>(key_));
    key_ = nullptr;
}

void* TWinRegistry::RequireKey() const {
    if (key_ == nullptr)
        throw ERegistryError("No registry key is open.");
    return key_;
}

unsigned long TWinRegistry::QueryValue(const std::string& name, unsigned long& size) const {
    const std::wstring wideName = WideFromUtf8(name);
    DWORD type = 0;
    DWORD bytes = 0;
    Check(RegQueryValueExW(static_cast<HKEY>(RequireKey()), wideName.c_str(), nullptr, &type,
                           nullptr, &bytes));
    size = bytes;
    return type;
}

bool TWinRegistry::ValueExists(const std::string& name) {
    const std::wstring wideName = WideFromUtf8(name);
    return RegQueryValueExW(static_cast<HKEY>(RequireKey()), wideName.c_str(), nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TWinRegistry::ReadString(const std::string& name) {
    unsigned long size = 0;
    const unsigned long type = QueryValue(name, size);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryError(InvalidType(name));
    // The stored text need not end in a zero: one more place is kept for it.
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const std::wstring wideName = WideFromUtf8(name);
    Check(RegQueryValueExW(static_cast<HKEY>(key_), wideName.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(text.data()), &bytes));
    return Utf8FromWide(text.data());
}

int TWinRegistry::ReadInteger(const std::string& name) {
    unsigned long size = 0;
    if (QueryValue(name, size) != REG_DWORD || size != sizeof(DWORD))
        throw ERegistryBadValue(InvalidType(name), "(not a number)");
    DWORD value = 0;
    DWORD bytes = sizeof value;
    const std::wstring wideName = WideFromUtf8(name);
    Check(RegQueryValueExW(static_cast<HKEY>(key_), wideName.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&value), &bytes));
    return static_cast<int>(value);
}

bool TWinRegistry::ReadBool(const std::string& name) {
    return ReadInteger(name) != 0;
}

void TWinRegistry::WriteString(const std::string& name, const std::string& value) {
    const std::wstring wideName = WideFromUtf8(name);
    const std::wstring wideValue = WideFromUtf8(value);
    const auto bytes = static_cast<DWORD>((wideValue.size() + 1) * sizeof(wchar_t));
    Check(RegSetValueExW(static_cast<HKEY>(RequireKey()), wideName.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(wideValue.c_str()), bytes));
}

void TWinRegistry::WriteInteger(const std::string& name, int value) {
    const std::wstring wideName = WideFromUtf8(name);
    const auto data = static_cast<DWORD>(value);
    Check(RegSetValueExW(static_cast<HKEY>(RequireKey()), wideName.c_str(), 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&data), sizeof data));
}

void TWinRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TWinRegistry::DeleteValue(const std::string& name) {
    const std::wstring wideName = WideFromUtf8(name);
    const LSTATUS result = RegDeleteValueW(static_cast<HKEY>(RequireKey()), wideName.c_str());
    if (result != ERROR_FILE_NOT_FOUND)
        Check(result);
}

bool TWinRegistry::DeleteTree(const std::string& key) {
    const std::wstring path =
        WideFromUtf8(key.substr(std::min(key.find_first_not_of('\\'), key.size())));
    HKEY opened = nullptr;
    if (RegOpenKeyExW(RootHandle(root_), path.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return false;
    const LSTATUS emptied = RegDeleteTreeW(opened, nullptr); // what is below the key
    RegCloseKey(opened);
    Check(emptied);
    Check(RegDeleteKeyW(RootHandle(root_), path.c_str()));
    return true;
}

#endif
