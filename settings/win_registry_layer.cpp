#include "settings/win_registry_layer.h"

#ifdef _WIN32

#include <string>
#include <vector>

namespace {

std::wstring Wide(const QString& text) {
    return text.toStdWString();
}

// The system's own text for a registry error code.
std::string SystemText(LSTATUS code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    QString text = length ? QString::fromWCharArray(buffer, static_cast<int>(length)).trimmed()
                          : QStringLiteral("Registry error %1.").arg(code);
    if (buffer)
        LocalFree(buffer);
    return text.toStdString();
}

std::string InvalidType(const QString& name) {
    return ("Invalid data type for '" + name + "'.").toStdString();
}

} // namespace

TWinRegistryLayer::~TWinRegistryLayer() {
    CloseKey();
}

void TWinRegistryLayer::SetRootKey(TRootKey root) {
    root_ = root == TRootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool TWinRegistryLayer::OpenKey(const QString& key, bool canCreate) {
    CloseKey();
    QString path = key;
    while (path.startsWith(u'\\'))
        path.remove(0, 1);
    const std::wstring widePath = Wide(path);
    HKEY opened = nullptr;
    LSTATUS result;
    if (canCreate)
        result = RegCreateKeyExW(root_, widePath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, &opened, nullptr);
    else {
        result = RegOpenKeyExW(root_, widePath.c_str(), 0, KEY_READ | KEY_WRITE, &opened);
        // A key the user may only read can still be read.
        if (result == ERROR_ACCESS_DENIED)
            result = RegOpenKeyExW(root_, widePath.c_str(), 0, KEY_READ, &opened);
    }
    if (result != ERROR_SUCCESS)
        return false;
    key_ = opened;
    return true;
}

void TWinRegistryLayer::CloseKey() {
    if (key_ != nullptr)
        RegCloseKey(key_);
    key_ = nullptr;
}

HKEY TWinRegistryLayer::RequireKey() const {
    if (key_ == nullptr)
        throw ERegistryError("No registry key is open.");
    return key_;
}

DWORD TWinRegistryLayer::QueryValue(const QString& name, DWORD& size) const {
    const std::wstring wideName = Wide(name);
    DWORD type = 0;
    size = 0;
    const LSTATUS result =
        RegQueryValueExW(RequireKey(), wideName.c_str(), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS)
        throw ERegistryError(SystemText(result));
    return type;
}

bool TWinRegistryLayer::ValueExists(const QString& name) {
    const std::wstring wideName = Wide(name);
    return RegQueryValueExW(RequireKey(), wideName.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

QString TWinRegistryLayer::ReadString(const QString& name) {
    DWORD size = 0;
    const DWORD type = QueryValue(name, size);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryError(InvalidType(name));
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const std::wstring wideName = Wide(name);
    const LSTATUS result = RegQueryValueExW(key_, wideName.c_str(), nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (result != ERROR_SUCCESS)
        throw ERegistryError(SystemText(result));
    return QString::fromWCharArray(text.data());
}

int TWinRegistryLayer::ReadInteger(const QString& name) {
    DWORD size = 0;
    if (QueryValue(name, size) != REG_DWORD || size != sizeof(DWORD))
        throw ERegistryBadValue(InvalidType(name), QStringLiteral("(not a number)"));
    DWORD value = 0;
    DWORD bytes = sizeof value;
    const std::wstring wideName = Wide(name);
    const LSTATUS result = RegQueryValueExW(key_, wideName.c_str(), nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(&value), &bytes);
    if (result != ERROR_SUCCESS)
        throw ERegistryError(SystemText(result));
    return static_cast<int>(value);
}

bool TWinRegistryLayer::ReadBool(const QString& name) {
    return ReadInteger(name) != 0;
}

void TWinRegistryLayer::WriteString(const QString& name, const QString& value) {
    const std::wstring wideName = Wide(name);
    const std::wstring wideValue = Wide(value);
    const auto bytes = static_cast<DWORD>((wideValue.size() + 1) * sizeof(wchar_t));
    const LSTATUS result = RegSetValueExW(RequireKey(), wideName.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(wideValue.c_str()), bytes);
    if (result != ERROR_SUCCESS)
        throw ERegistryError(SystemText(result));
}

void TWinRegistryLayer::WriteInteger(const QString& name, int value) {
    const std::wstring wideName = Wide(name);
    const auto data = static_cast<DWORD>(value);
    const LSTATUS result = RegSetValueExW(RequireKey(), wideName.c_str(), 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (result != ERROR_SUCCESS)
        throw ERegistryError(SystemText(result));
}

void TWinRegistryLayer::WriteBool(const QString& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TWinRegistryLayer::DeleteValue(const QString& name) {
    const std::wstring wideName = Wide(name);
    const LSTATUS result = RegDeleteValueW(RequireKey(), wideName.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        throw ERegistryError(SystemText(result));
}

#endif
