#pragma once
// Paths travel through the program as UTF-8 text, on every system; these turn
// them into the file system's own form and back. On Windows that form is
// wide characters: a narrow path would go through the local code page, where
// a folder named "Sélection" or "Пресеты" may not exist.
#include <filesystem>
#include <string>

std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

#ifdef _WIN32
// Invalid UTF-8 becomes U+FFFD, as the system does it.
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
#endif
