#pragma once
// The catalogue's names and a preset's title are single bytes (Latin-1).
#include <QString>

#include <string_view>

inline QString Latin1String(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
