#include "model/errors.h"
#include "model/stream.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(MemoryStream, SeekReadWriteAndShortReads) {
    TMemoryStream s;
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    s.WriteBuffer(bytes, 4);
    EXPECT_EQ(s.Size(), 4);
    EXPECT_EQ(s.Position(), 4);
    EXPECT_EQ(s.Seek(-1, TSeekOrigin::soEnd), 3);
    EXPECT_EQ(s.ReadByte(), 4);
    std::uint8_t out[8];
    s.SetPosition(2);
    EXPECT_EQ(s.Read(out, 8), 2u);
    s.SetPosition(1);
    EXPECT_THROW(s.ReadBuffer(out, 4), EReadError);
    s.SetPosition(6);
    s.WriteByte(9); // writing past the end fills the gap
    EXPECT_EQ(s.Size(), 7);
    EXPECT_EQ(s.Bytes()[5], 0);
}

TEST(FileHelpers, AtomicSaveKeepsTheOldFileOnFailureAndReportsReadableErrors) {
    const fs::path dir =
        fs::temp_directory_path() / ("hrz_stream_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "a.bin").string();
    TMemoryStream s(std::vector<std::uint8_t>{1, 2, 3});
    s.SaveToFile(path);
    TMemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Bytes(), s.Bytes());

    // A folder in the way: the save fails and nothing is left behind.
    fs::create_directories(dir / "taken");
    EXPECT_THROW(s.SaveToFile((dir / "taken").string()), EFCreateError);
    EXPECT_THROW(s.SaveToFile((dir / "missing" / "x").string()), EFCreateError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);

    try {
        back.LoadFromFile((dir / "none.bin").string());
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot open file"), std::string::npos);
    }
    fs::remove_all(dir);
}
