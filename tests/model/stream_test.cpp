#include "model/errors.h"
#include "model/stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <unistd.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#endif

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

    // A count copies from the source's position; none copies the whole source.
    TMemoryStream copy;
    s.SetPosition(1);
    EXPECT_EQ(copy.CopyFrom(s, 3), 3);
    EXPECT_EQ(copy.CopyFrom(s, 0), 7);
    EXPECT_EQ(copy.Bytes(), (std::vector<std::uint8_t>{2, 3, 4, 1, 2, 3, 4, 0, 0, 9}));
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
    {
        // Closed before the folder goes: Windows keeps an open file from being removed.
        TFileStream file(path);
        EXPECT_EQ(file.Seek(1, TSeekOrigin::soBeginning), 1);
        EXPECT_EQ(file.Seek(1, TSeekOrigin::soCurrent), 2);
        EXPECT_EQ(file.Seek(-2, TSeekOrigin::soEnd), 1);
    }

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

// Links, FIFOs, pipes, modes and the clean-up of leftovers are those of POSIX
// systems; Windows' own cases are in file_save_test.cpp.
#ifndef _WIN32
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

// A process number that is surely not running: a child that has ended.
long EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST_F(SaveTargets, OnlyTemporaryFilesOfSavesProvablyOursAndEndedAreCleanedUp) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    const std::string dead = std::to_string(EndedProcess());
    const std::string alive = std::to_string(::getppid());
    // A user's files of every shape the old clean-up took, a year old.
    for (const std::string& name :
         std::vector<std::string>{"a.hrz.tmp123_4", "b.syx.tmp9_0", "notes.tmp1_x",
                                  ".hrzsave~x~1~a.hrz", ".hrzsave~" + dead + "~1"}) {
        std::ofstream(File(name)) << "the user's";
        fs::last_write_time(File(name), old);
    }
    // Ours: a save killed halfway, one still being written by a live process,
    // and one whose writer is gone but that somebody holds locked.
    std::ofstream(File(".hrzsave~" + dead + "~0~a.hrz")) << "left over";
    std::ofstream(File(".hrzsave~" + alive + "~3~b.hrz")) << "being written";
    std::ofstream(File(".hrzsave~" + dead + "~7~c.hrz")) << "held";
    const int held = ::open(File(".hrzsave~" + dead + "~7~c.hrz").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    RemoveLeftoverSaveFiles(dir_.string());
    ::close(held);
    // Names() is sorted, and which process number sorts first depends on the run.
    std::vector<std::string> kept{".hrzsave~" + alive + "~3~b.hrz",
                                  ".hrzsave~" + dead + "~1",
                                  ".hrzsave~" + dead + "~7~c.hrz",
                                  ".hrzsave~x~1~a.hrz",
                                  "a.hrz.tmp123_4",
                                  "b.syx.tmp9_0",
                                  "notes.tmp1_x"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(Names(), kept);
    // The first save into a folder does the same, whatever the age.
    Save(File("a.hrz"), {1});
    EXPECT_FALSE(fs::exists(File(".hrzsave~" + dead + "~7~c.hrz")));
    EXPECT_TRUE(fs::exists(File(".hrzsave~" + alive + "~3~b.hrz")));
}

TEST_F(SaveTargets, NamesAtTheLengthLimitSaveAndTemporaryNamesStayWithinIt) {
    for (const std::size_t length : {std::size_t{245}, std::size_t{255}}) {
        const std::string name = std::string(length - 4, 'n') + ".hrz";
        Save(File(name), {1, 2});
        EXPECT_EQ(ReadWholeFile(File(name)), (std::vector<std::uint8_t>{1, 2}));
    }
    // Cut between characters, never inside one: "e" with its accent is two bytes.
    std::string accented;
    while (accented.size() < 300)
        accented += "\xC3\xA9";
    const std::string temp = fs::path(AtomicSaveTempName(File(accented))).filename().string();
    EXPECT_LE(temp.size(), 255u);
    EXPECT_EQ(temp.rfind(".hrzsave~" + std::to_string(::getpid()) + "~", 0), 0u) << temp;
    EXPECT_EQ(temp.substr(temp.rfind('~') + 1).size() % 2, 0u);
    EXPECT_EQ(AtomicSaveTempWriter(temp), ::getpid());
    // Three-byte characters, shifted so that the cut falls at each place in one.
    for (const std::string lead : {"", "a", "ab"}) {
        std::string euros = lead;
        while (euros.size() < 300)
            euros += "\xE2\x82\xAC";
        const std::string cut = fs::path(AtomicSaveTempName(File(euros))).filename().string();
        const std::string tail = cut.substr(cut.rfind('~') + 1);
        EXPECT_LE(cut.size(), 255u);
        EXPECT_EQ(euros.compare(0, tail.size(), tail), 0) << lead;
        EXPECT_EQ((tail.size() - lead.size()) % 3, 0u) << lead;
    }
    EXPECT_EQ(AtomicSaveTempWriter(".hrzsave~9~0~a"), 9);
    EXPECT_EQ(AtomicSaveTempWriter(".hrzsave~1234567890~0~a"), 1234567890); // ten digits at most
    EXPECT_EQ(AtomicSaveTempWriter(".hrzsave~12345678901~0~a"), -1);
    for (const char* notOurs : {"a.hrz.tmp1_2", ".hrzsave~~1~a", ".hrzsave~12~~a", ".hrzsave~0~1~a",
                                ".hrzsave~12", "hrzsave~12~1~a"})
        EXPECT_EQ(AtomicSaveTempWriter(notOurs), -1) << notOurs;
}

TEST_F(SaveTargets, ALinkLoopIsRefusedAndLeftAsItWas) {
    fs::create_symlink("loop2.hrz", File("loop1.hrz"));
    fs::create_symlink("loop1.hrz", File("loop2.hrz"));
    try {
        Save(File("loop1.hrz"), {1});
        FAIL() << "a link loop was replaced";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + File("loop1.hrz") +
                                             "\". Too many levels of symbolic links");
    }
    EXPECT_TRUE(fs::is_symlink(File("loop1.hrz")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"loop1.hrz", "loop2.hrz"}));
}

TEST_F(SaveTargets, AHardLinkedFileGetsANewFileAndExtendedAttributesStay) {
    Save(File("a.hrz"), {1});
    fs::create_hard_link(File("a.hrz"), File("other-name.hrz"));
    const bool tagged = ::setxattr(File("a.hrz").c_str(), "user.hrz.tag", "blue", 4, 0) == 0;
    Save(File("a.hrz"), {2});
    EXPECT_EQ(ReadWholeFile(File("a.hrz")), (std::vector<std::uint8_t>{2}));
    EXPECT_EQ(ReadWholeFile(File("other-name.hrz")), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(fs::hard_link_count(File("a.hrz")), 1u);
    if (!tagged)
        GTEST_SKIP() << "no user extended attributes on this file system";
    char value[16] = {};
    EXPECT_EQ(::getxattr(File("a.hrz").c_str(), "user.hrz.tag", value, sizeof value), 4);
    EXPECT_STREQ(value, "blue");
}

TEST_F(SaveTargets, FilesSetAsideNeverReplaceOneSetAsideBefore) {
    for (std::uint8_t n = 1; n <= 3; ++n) {
        Save(File("state"), {n});
        EXPECT_EQ(MoveAside(File("state"), ".damaged"),
                  File("state") + ".damaged" + (n == 1 ? "" : std::to_string(n)));
    }
    EXPECT_EQ(ReadWholeFile(File("state.damaged")), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(ReadWholeFile(File("state.damaged3")), (std::vector<std::uint8_t>{3}));
    EXPECT_FALSE(fs::exists(File("state")));
    EXPECT_THROW(MoveAside(File("state"), ".damaged"), EFCreateError);
}

TEST_F(SaveTargets, ANameCannotDisguiseItselfInAMessage) {
    const std::string name = File("x\x1B[2Jgnp.\xE2\x80\xAE"
                                  "exe\xC2\x9B");
    fs::create_directories(name);
    try {
        Save(name, {1});
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + File("") +
                                             "x\\x1B[2Jgnp.\\u202Eexe\\u009B\". Is a directory");
    }
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

#endif

} // namespace
