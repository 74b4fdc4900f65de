#include "model/errors.h"
#include "model/stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

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
    TFileStream file(path);
    EXPECT_EQ(file.Seek(1, TSeekOrigin::soBeginning), 1);
    EXPECT_EQ(file.Seek(1, TSeekOrigin::soCurrent), 2);
    EXPECT_EQ(file.Seek(-2, TSeekOrigin::soEnd), 1);

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

namespace {

class SaveTargets : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("hrz_save_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    static void Save(const std::string& path, std::vector<std::uint8_t> bytes) {
        WriteFileAtomically(path, bytes.data(), bytes.size());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir_;
};

TEST_F(SaveTargets, ALinkIsWrittenThroughAndPermissionsStay) {
    Save(File("real.hrz"), {1});
    fs::create_symlink("real.hrz", File("link.hrz"));
    Save(File("link.hrz"), {2, 3});
    EXPECT_TRUE(fs::is_symlink(File("link.hrz")));
    EXPECT_EQ(ReadWholeFile(File("real.hrz")), (std::vector<std::uint8_t>{2, 3}));

    // A link to a file not there yet makes that file.
    fs::create_symlink("later.hrz", File("dangling.hrz"));
    Save(File("dangling.hrz"), {4});
    EXPECT_TRUE(fs::is_symlink(File("dangling.hrz")));
    EXPECT_EQ(ReadWholeFile(File("later.hrz")), (std::vector<std::uint8_t>{4}));

    fs::permissions(File("real.hrz"), fs::perms::owner_read | fs::perms::owner_write);
    Save(File("real.hrz"), {5});
    EXPECT_EQ(fs::status(File("real.hrz")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(SaveTargets, WhatIsNotARegularFileIsRefusedAndLeftAsItWas) {
    ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
    try {
        Save(File("fifo"), {1});
        FAIL() << "a FIFO was replaced";
    } catch (const EFCreateError& e) {
        EXPECT_NE(std::string(e.what()).find("Not a regular file"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_fifo(File("fifo")));
    fs::create_symlink("/dev/null", File("null"));
    EXPECT_THROW(Save(File("null"), {1}), EFCreateError);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"fifo", "null"})) << "no temporary file left";

    // Reading one neither waits for a writer nor takes it for an empty file.
    EXPECT_THROW(TFileStream stream(File("fifo")), EFOpenError);
    try {
        ReadWholeFile(File("fifo"));
        FAIL();
    } catch (const EFileReadError& e) {
        EXPECT_EQ(e.Kind(), EFileReadError::TKind::NotRegular);
    }

    if (::geteuid() != 0) { // root may write anything
        Save(File("locked.hrz"), {1});
        fs::permissions(File("locked.hrz"), fs::perms::owner_read);
        EXPECT_THROW(Save(File("locked.hrz"), {2}), EFCreateError);
        EXPECT_EQ(ReadWholeFile(File("locked.hrz")), (std::vector<std::uint8_t>{1}));
    }
}

TEST_F(SaveTargets, LeftoversOfKilledSavesGoWhenTheNextSaveStarts) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    // Written by hand: the first save to a folder is the one that looks.
    for (const char* name : {"a.hrz.tmp123_4", "b.syx.tmp9_0", "notes.tmp1_x", "keep.tmp"}) {
        std::ofstream(File(name)) << "left over";
        fs::last_write_time(File(name), old);
    }
    std::ofstream(File("fresh.hrz.tmp5_5")) << "a save running right now";
    Save(File("a.hrz"), {1});
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"a.hrz", "fresh.hrz.tmp5_5", "keep.tmp", "notes.tmp1_x"}));
    EXPECT_TRUE(IsAtomicSaveTempName(fs::path(AtomicSaveTempName(File("x.hrz"))).filename()));
}

TEST_F(SaveTargets, StreamsAreReadToTheirEndWithinTheBounds) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::thread writer([fd = fds[1]] {
        std::vector<std::uint8_t> chunk(3000, 0x42);
        for (int i = 0; i < 4; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ASSERT_EQ(::write(fd, chunk.data(), chunk.size()), 3000);
        }
        ::close(fd);
    });
    TReadLimits limits;
    limits.Streams = true;
    const auto bytes = ReadWholeFile("/dev/fd/" + std::to_string(fds[0]), limits);
    writer.join();
    ::close(fds[0]);
    EXPECT_EQ(bytes.size(), 12000u);

    ASSERT_EQ(::mkfifo(File("silent").c_str(), 0600), 0);
    limits.IdleTimeoutMs = 200;
    try {
        ReadWholeFile(File("silent"), limits);
        FAIL() << "a FIFO nobody writes to";
    } catch (const EFileReadError& e) {
        EXPECT_EQ(e.Kind(), EFileReadError::TKind::Idle);
        EXPECT_NE(std::string(e.what()).find("Nothing arrived for 200 ms"), std::string::npos);
    }
    limits.MaxBytes = 1000;
    EXPECT_THROW(ReadWholeFile("/dev/zero", limits), EFileReadError);
    Save(File("big"), std::vector<std::uint8_t>(1001));
    try {
        ReadWholeFile(File("big"), limits);
        FAIL();
    } catch (const EFileReadError& e) {
        EXPECT_EQ(e.Kind(), EFileReadError::TKind::TooLarge);
        EXPECT_EQ(e.Size(), 1001u);
    }
}

} // namespace
