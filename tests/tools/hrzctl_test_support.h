#pragma once
// Running hrzctl in-process on files written by the virtual unit or by hand.
#include "model/preset.h"

#include <QJsonDocument>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct TRunResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TRunResult RunTool(const std::vector<std::string>& args, bool outIsTerminal = false);

// A fresh folder per test, removed afterwards.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

// What the virtual unit sends for "all presets" of a bank, back to back, as a
// recorded bulk dump would hold it.
Bytes BulkDump(int bank, bool preExpress = false);
// The unit's program table dump.
Bytes TableDump(bool preExpress = false);
// Factory preset of the virtual unit.
TPreset FactoryPreset(int bank, int index, bool preExpress = false);
Bytes DumpOf(const TPreset& preset);

int CountOf(const std::string& text, const std::string& needle);
// Parses JSON; fails the calling test when it is not well formed.
QJsonDocument ParseJson(const std::string& text);
