#include "midi/platform_module.h"

#ifdef _WIN32
#include "model/file_path.h"

#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#ifdef _WIN32
void* Open(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryW(WideFromUtf8(path).c_str());
    if (module == nullptr)
        error = "error " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* Symbol(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
#else
void* Open(const std::string& path, std::string& error) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* text = dlerror();
        error = text != nullptr ? text : "unknown error";
    }
    return module;
}

void* Symbol(void* module, const char* name) {
    return dlsym(module, name);
}
#endif

} // namespace

std::unique_ptr<IMidiPlatform> LoadMidiPlatformModule(const std::string& path, std::string& error) {
    std::string reason;
    void* module = Open(path, reason);
    if (module == nullptr) {
        error = "cannot load " + path + ": " + reason;
        return nullptr;
    }
    auto entry = reinterpret_cast<TMidiModuleEntry>(Symbol(module, kMidiModuleEntry));
    if (entry == nullptr) {
        error = path + " is not a MIDI backend module";
        return nullptr;
    }
    char text[512] = "";
    std::unique_ptr<IMidiPlatform> platform(entry(text, sizeof text));
    if (!platform)
        error = path + ": " + (text[0] != '\0' ? text : "the backend did not start");
    return platform;
}
