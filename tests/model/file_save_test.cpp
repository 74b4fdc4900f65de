// Saving and reading files where systems differ: replacing a file that is
// there (Windows renames onto an existing name differently), a read-only
// target, names that are not ASCII (UTF-8 inside the program, wide on
// Windows), and preset and table files kept byte for byte. Runs on every
// system; the Windows build runs it under Wine.
#include "model/errors.h"
#include "model/file_path.h"
#include "model/mpt.h"
#include "model/preset.h"
#include "model/preset_files.h"
#include "model/stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif
#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// "Présets Пресеты", "Émile ☺.hrz": Latin-1, Cyrillic and a symbol outside both.
const std::string kFolderName =
    "Pr\xc3\xa9sets \xd0\x9f\xd1\x80\xd0\xb5\xd1\x81\xd0\xb5\xd1\x82\xd1\x8b";
const std::string kFileName = "\xc3\x89mile \xe2\x98\xba.hrz";

class FileSaves : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        folder_ = fs::temp_directory_path() /
                  PathFromUtf8("hrz_files_" + std::to_string(::getpid()) + "_" +
                               std::to_string(counter++) + "_" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(folder_, ec))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(folder_, ec);
    }
    std::string Path(const std::string& utf8Name) const {
        return Utf8FromPath(folder_) + "/" + utf8Name;
    }
    static void Save(const std::string& path, const Bytes& bytes) {
        WriteFileAtomically(path, bytes.data(), bytes.size());
    }
    std::vector<std::string> Names(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(Utf8FromPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path folder_;
};

bool RunningAsRoot() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

} // namespace

TEST_F(FileSaves, SavingOverAFileReplacesItWholeAndLeavesNothingBeside) {
    const std::string path = Path("a.hrz");
    Save(path, Bytes(252, 0x11));
    Save(path, {1, 2, 3}); // shorter: no tail of the old file stays
    EXPECT_EQ(ReadWholeFile(path), (Bytes{1, 2, 3}));
    Save(path, {});
    EXPECT_EQ(ReadWholeFile(path), Bytes{});
    Save(path, Bytes(300, 0x22));
    EXPECT_EQ(ReadWholeFile(path), Bytes(300, 0x22));
    EXPECT_EQ(Names(folder_), std::vector<std::string>{"a.hrz"});
}

TEST_F(FileSaves, AReadOnlyFileIsRefusedAndKept) {
    if (RunningAsRoot())
        GTEST_SKIP() << "root may write any file";
    const std::string path = Path("kept.hrz");
    Save(path, {7, 7, 7});
    fs::permissions(PathFromUtf8(path),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    try {
        Save(path, {1});
        FAIL() << "a read-only file was replaced";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Permission denied");
    }
    EXPECT_EQ(ReadWholeFile(path), (Bytes{7, 7, 7}));
    EXPECT_EQ(Names(folder_), std::vector<std::string>{"kept.hrz"});
}

TEST_F(FileSaves, NonAsciiFolderAndFileNamesAreTheNamesOnDisk) {
    const fs::path folder = folder_ / PathFromUtf8(kFolderName);
    fs::create_directories(folder);
    const std::string path = Utf8FromPath(folder) + "/" + kFileName;
    Save(path, {0xF0, 0xF7});
    Save(Utf8FromPath(folder) + "/12.hrz003", {0xF0});

    EXPECT_EQ(ReadWholeFile(path), (Bytes{0xF0, 0xF7}));
    TFileStream stream(path);
    EXPECT_EQ(stream.Size(), 2);
    EXPECT_EQ(Names(folder_), std::vector<std::string>{kFolderName});
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"12.hrz003", kFileName}));
    const auto listed = PresetFilesInFolder(Utf8FromPath(folder));
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(PathFromUtf8(listed[1]).filename(), PathFromUtf8(kFileName));
#ifdef _WIN32
    // Through the wide API by its real name, not by the code page's reading of its bytes.
    const std::wstring wide =
        folder_.wstring() +
        L"\\Pr\u00e9sets \u041f\u0440\u0435\u0441\u0435\u0442\u044b\\\u00c9mile \u263a.hrz";
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
#endif
    try {
        ReadWholeFile(Utf8FromPath(folder) + "/none \xc3\xa9.hrz");
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + Utf8FromPath(folder) +
                                             "/none \xc3\xa9.hrz\". No such file or directory");
    }
}

TEST_F(FileSaves, PresetAndTableFilesAreKeptByteForByte) {
    TPreset preset;
    preset.SetDigitalGroup(45);
    preset.Title = "Crunch Lead";
    preset.Params[0] = 200;
    preset.Params[51] = 1;
    TMemoryStream dump;
    preset.WriteDump(dump);
    ASSERT_EQ(dump.Size(), 252);
    const std::string hrz = Path(kFileName);
    dump.SaveToFile(hrz);
    const Bytes hrzBytes = ReadWholeFile(hrz);
    EXPECT_EQ(hrzBytes, dump.Bytes());
    TFileStream hrzFile(hrz);
    TPreset back;
    back.ReadDump(hrzFile);
    EXPECT_EQ(back.DumpBytes(), preset.DumpBytes());

    for (const bool preExpress : {false, true}) {
        Tmpt table;
        table.Entries[0] = 150;
        table.Entries[127] = 3;
        table.Entries[199] = 0;
        TMemoryStream tableDump;
        table.SaveToStream(tableDump, preExpress);
        const std::string mpt = Path(preExpress ? "old \xc3\xa9.mpt" : "table \xc3\xa9.mpt");
        tableDump.SaveToFile(mpt);
        const Bytes mptBytes = ReadWholeFile(mpt);
        EXPECT_EQ(mptBytes.size(), preExpress ? 262u : 406u);
        EXPECT_EQ(mptBytes, tableDump.Bytes());
        TFileStream mptFile(mpt);
        Tmpt loaded;
        loaded.LoadFromStream(mptFile, preExpress);
        TMemoryStream again;
        loaded.SaveToStream(again, preExpress);
        EXPECT_EQ(again.Bytes(), mptBytes);
    }
}
