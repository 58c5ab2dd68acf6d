#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "record/cpuRecordUnit.h"
#include "support/failingWriter.h"
#include "support/records.h"
#include "support/temporaryFolder.h"
#include "support/unprivileged.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kOldBytes(3000, 0x5A);

mode_t modeOf(const fs::path& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

TEST(SaveRecordFile, ReplacingAFileKeepsItsModeAndANewFileFollowsTheUmask) {
    TemporaryFolder folder;
    for (const mode_t mode : {0600, 0640, 0444, 0755}) {
        writeBytes(folder / "kept.dat", kOldBytes);
        fs::permissions(folder / "kept.dat", static_cast<fs::perms>(mode));
        ASSERT_TRUE(saveRecordFile(folder / "kept.dat", testMachine("x")).ok()) << std::oct << mode;
        EXPECT_EQ(modeOf(folder / "kept.dat"), mode) << std::oct << mode;
        EXPECT_EQ(readBytes(folder / "kept.dat"), bytesOf(testMachine("x")));
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"kept.dat"});
    }
    const mode_t previous = umask(027);
    EXPECT_TRUE(saveRecordFile(folder / "new.dat", testMachine("x")).ok());
    umask(previous);
    EXPECT_EQ(modeOf(folder / "new.dat"), 0640u);
}

// New contents do not inherit the rights the set-user-ID and set-group-ID bits gave the old ones
// (the kernel drops them on a write by anyone but root); the sticky bit stays. The same whether a
// new file takes the name or a file of two links is written in place.
TEST(SaveRecordFile, ReplacingAFileDropsItsSetIdBitsAndKeepsTheRest) {
    const struct {
        mode_t mode;
        mode_t kept;
    } cases[] = {{04755, 0755}, {02755, 0755}, {06750, 0750}, {01644, 01644}};
    for (const bool inPlace : {false, true})
        for (const auto& c : cases) {
            TemporaryFolder folder;
            writeBytes(folder / "tool.dat", std::vector<std::uint8_t>(10, 1));
            if (inPlace) fs::create_hard_link(folder / "tool.dat", folder / "other.dat");
            ASSERT_EQ(chmod((folder / "tool.dat").c_str(), c.mode), 0);
            ASSERT_TRUE(saveRecordFile(folder / "tool.dat", testMachine("x")).ok());
            EXPECT_EQ(modeOf(folder / "tool.dat"), c.kept) << std::oct << c.mode << inPlace;
            std::error_code noOther;
            EXPECT_EQ(fs::equivalent(folder / "tool.dat", folder / "other.dat", noOther), inPlace);
        }
}

TEST(SaveRecordFile, ReplacingAFileKeepsItsOwnerAndGroup) {
    if (!isRoot()) GTEST_SKIP() << "only root may give a file to another user";
    TemporaryFolder folder;
    writeBytes(folder / "theirs.dat", kOldBytes);
    ASSERT_EQ(chown((folder / "theirs.dat").c_str(), 1234, 2345), 0);
    ASSERT_TRUE(saveRecordFile(folder / "theirs.dat", testMachine("x")).ok());
    struct stat status {};
    ASSERT_EQ(stat((folder / "theirs.dat").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 1234u);
    EXPECT_EQ(status.st_gid, 2345u);
}

// A file with several links keeps them where the new contents go in with one write that no
// cut follows; otherwise a new file replaces it and the other names keep the old contents.
TEST(SaveRecordFile, HardLinksStayWhereTheWriteCannotTearTheFile) {
    struct Case {
        const char* name;
        std::size_t oldSize;
        std::size_t newSize;
        bool linksKept;
    };
    const Case cases[] = {{"same length", kRecordSize, kRecordSize, true},
                          {"old shorter", 10, kRecordSize, true},
                          {"old longer", 3000, kRecordSize, false},
                          {"more than a page", 10, 5000, false}};
    for (const Case& c : cases) {
        TemporaryFolder folder;
        const std::vector<std::uint8_t> oldBytes(c.oldSize, 0x5A), newBytes(c.newSize, 0x33);
        writeBytes(folder / "one.dat", oldBytes);
        fs::create_hard_link(folder / "one.dat", folder / "two.dat");
        platform::FileContentWriter writer;
        platform::ReplacementNotes notes;
        ASSERT_FALSE(platform::replaceFileContents(folder / "one.dat", newBytes, writer, &notes))
            << c.name;
        EXPECT_EQ(readBytes(folder / "one.dat"), newBytes) << c.name;
        EXPECT_EQ(fs::equivalent(folder / "one.dat", folder / "two.dat"), c.linksKept) << c.name;
        EXPECT_EQ(readBytes(folder / "two.dat"), c.linksKept ? newBytes : oldBytes) << c.name;
        EXPECT_EQ(notes.linksLeftBehind, c.linksKept ? 0u : 1u) << c.name;
    }
}

TEST(SaveRecordFile, SymbolicLinksAreWrittenThroughAndKept) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // link, what it points to
        std::string saved;                                       // the file the bytes land in
    };
    const Case cases[] = {
        {"relative link", {{"link.dat", "real.dat"}}, "real.dat"},
        {"absolute link", {{"link.dat", "@/real.dat"}}, "real.dat"},
        {"chain of two", {{"link.dat", "middle"}, {"middle", "sub/real.dat"}}, "sub/real.dat"},
        {"dangling link", {{"link.dat", "sub/missing.dat"}}, "sub/missing.dat"},
        {"link to a folder on the way",
         {{"link.dat", "via/real.dat"}, {"via", "sub"}},
         "sub/real.dat"},
    };
    for (const Case& c : cases) {
        TemporaryFolder folder;
        fs::create_directory(folder / "sub");
        writeBytes(folder / "real.dat", kOldBytes);
        writeBytes(folder / "sub" / "real.dat", kOldBytes);
        for (const auto& [link, target] : c.links)
            fs::create_symlink(
                target[0] == '@' ? folder.path().string() + target.substr(1) : target,
                folder / link);
        ASSERT_TRUE(saveRecordFile(folder / "link.dat", testMachine(c.name)).ok()) << c.name;
        EXPECT_TRUE(fs::is_symlink(folder / "link.dat")) << c.name;
        EXPECT_EQ(readBytes(folder / c.saved), bytesOf(testMachine(c.name))) << c.name;
    }
}

TEST(SaveRecordFile, RefusesWhatIsNotARegularFileWithTheReason) {
    TemporaryFolder folder;
    ASSERT_EQ(mkfifo((folder / "fifo.dat").c_str(), 0644), 0);
    fs::create_symlink("fifo.dat", folder / "to-fifo.dat");
    fs::create_directories(folder / "folder.dat" / "inside");
    writeBytes(folder / "plain", kOldBytes);
    struct Case {
        const char* name;
        std::errc reason;
    };
    for (const Case& c :
         {Case{"fifo.dat", std::errc::not_supported}, Case{"to-fifo.dat", std::errc::not_supported},
          Case{"folder.dat", std::errc::is_a_directory},
          Case{"missing/x.dat", std::errc::no_such_file_or_directory},
          Case{"plain/x.dat", std::errc::not_a_directory}}) {
        const SaveResult result = saveRecordFile(folder / c.name, testMachine("x"));
        EXPECT_EQ(result.error, std::make_error_code(c.reason)) << c.name;
    }
    EXPECT_TRUE(fs::is_fifo(folder / "fifo.dat"));
    EXPECT_TRUE(fs::is_directory(folder / "folder.dat" / "inside"));
    EXPECT_EQ(readBytes(folder / "plain"), kOldBytes);
    EXPECT_EQ(namesIn(folder.path()),
              (std::vector<std::string>{"fifo.dat", "folder.dat", "plain", "to-fifo.dat"}));
}

TEST(SaveRecordFile, RefusesADeviceNode) {
    if (!isRoot()) GTEST_SKIP() << "only root may make a device node";
    TemporaryFolder folder;
    ASSERT_EQ(mknod((folder / "null.dat").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_FALSE(saveRecordFile(folder / "null.dat", testMachine("x")).ok());
    EXPECT_TRUE(fs::is_character_file(folder / "null.dat"));
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"null.dat"});
}

// Creates the symbolic link `link` -> `target` as nobody, as another user of a shared folder would.
bool plantLinkAsNobody(const fs::path& target, const fs::path& link) {
    return runUnprivileged([&] { return symlink(target.c_str(), link.c_str()) == 0; });
}

// A link another user planted in a sticky folder that everyone may write is not followed, by the
// save, by the check before a run or by the reader, as the kernel's protected_symlinks refuses
// it; the file it names stays as it was. A link of the user's own there is followed.
TEST(SaveRecordFile, LinkPlantedInASharedFolderIsNotFollowed) {
    if (!isRoot()) GTEST_SKIP() << "planting a link as another user needs root";
    TemporaryFolder folder;
    fs::permissions(folder.path(), fs::perms(0755));
    const fs::path shared = folder / "shared";
    const fs::path victim = folder / "protected" / "victim.dat";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms(01777));
    fs::create_directory(victim.parent_path());
    fs::permissions(victim.parent_path(), fs::perms(0700));
    writeBytes(victim, kOldBytes);
    fs::permissions(victim, fs::perms(0600));
    ASSERT_TRUE(plantLinkAsNobody(victim, shared / "res.dat"));

    std::ifstream setting("/proc/sys/fs/protected_symlinks");
    int kernelRule = 0;
    setting >> kernelRule;
    if (kernelRule == 1) {
        std::ifstream throughTheLink(shared / "res.dat");
        EXPECT_FALSE(throughTheLink.is_open()) << "the kernel follows the planted link";
    }
    EXPECT_EQ(saveRecordFile(shared / "res.dat", testMachine("x")).error,
              std::errc::permission_denied);
    EXPECT_EQ(platform::checkReplacement(shared / "res.dat").error, std::errc::permission_denied);
    std::deque<TCpuRecord> records;
    loadResultFolder(shared, records);
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(readBytes(victim), kOldBytes);
    EXPECT_EQ(namesIn(shared), std::vector<std::string>{"res.dat"});
    EXPECT_EQ(namesIn(victim.parent_path()), std::vector<std::string>{"victim.dat"});

    fs::create_symlink(victim, shared / "mine.dat");
    EXPECT_TRUE(saveRecordFile(shared / "mine.dat", testMachine("x")).ok());
    EXPECT_EQ(readBytes(victim), bytesOf(testMachine("x")));
}

// In a folder of another user's, not sticky, where the kernel follows every link: a link of that
// user's, as the target or as a folder on the way, is not written through, by the save or by the
// check before a run, and the file it names stays as it was; reading still follows it. A link of
// the user's own is written through.
TEST(SaveRecordFile, NoWriteThroughAnotherUsersLink) {
    if (!isRoot()) GTEST_SKIP() << "planting a link as another user needs root";
    TemporaryFolder folder;
    fs::permissions(folder.path(), fs::perms(0755));
    const fs::path theirs = folder / "theirs";
    const fs::path victim = folder / "root-only" / "victim.dat";
    fs::create_directory(theirs);
    ASSERT_EQ(chown(theirs.c_str(), kNobody, kNobody), 0);
    fs::create_directory(victim.parent_path());
    fs::permissions(victim.parent_path(), fs::perms(0700));
    writeBytes(victim, kOldBytes);
    ASSERT_TRUE(plantLinkAsNobody(victim, theirs / "res.dat"));
    ASSERT_TRUE(plantLinkAsNobody(victim.parent_path(), theirs / "folder"));
    ASSERT_TRUE(plantLinkAsNobody(victim.parent_path() / "new.dat", theirs / "new.dat"));
    fs::create_symlink(victim, folder / "mine.dat");
    const struct {
        fs::path target;
        bool written;
    } cases[] = {
        {theirs / "res.dat", false},
        {theirs / "folder" / "victim.dat", false},
        {theirs / "new.dat", false},
        {folder / "mine.dat", true},
    };
    for (const auto& c : cases) {
        const std::error_code expected =
            c.written ? std::error_code() : platform::ReplacementRefusal::AnotherUsersLink;
        EXPECT_EQ(platform::checkReplacement(c.target).error, expected) << c.target;
        EXPECT_EQ(saveRecordFile(c.target, testMachine("x")).error, expected) << c.target;
        EXPECT_EQ(readBytes(victim), c.written ? bytesOf(testMachine("x")) : kOldBytes) << c.target;
    }
    EXPECT_EQ(namesIn(victim.parent_path()), std::vector<std::string>{"victim.dat"});
    std::deque<TCpuRecord> records;
    loadResultFolder(theirs, records);
    EXPECT_EQ(records.size(), 1u) << "reading follows the link";
}

// A killed save leaves its temporary; the next save into the folder removes the user's own
// temporaries an hour old, never a fresh one (a save in progress), one of another user's, nor a
// file of another name.
TEST(SaveRecordFile, SuccessRemovesOwnTemporariesAnHourOld) {
    const struct {
        const char* name;
        std::chrono::minutes age;
        bool another;  // another user's (root only)
        bool removed;
    } cases[] = {
        {".korvex-old00000", std::chrono::minutes(61), false, true},
        {".korvex-fresh000", std::chrono::minutes(59), false, false},
        {".korvex-theirs00", std::chrono::minutes(61), true, false},
        {".korvex-old", std::chrono::minutes(61), false, false},
        {".korvex-old000000", std::chrono::minutes(61), false, false},
        {"old.dat", std::chrono::minutes(61), false, false},
    };
    TemporaryFolder folder;
    std::vector<std::string> kept = {"x.dat"};
    for (const auto& c : cases) {
        if (c.another && !isRoot()) continue;
        writeBytes(folder / c.name, kOldBytes);
        if (c.another) {
            ASSERT_EQ(chown((folder / c.name).c_str(), kNobody, kNobody), 0);
        }
        fs::last_write_time(folder / c.name, fs::file_time_type::clock::now() - c.age);
        if (!c.removed) kept.push_back(c.name);
    }
    ASSERT_TRUE(saveRecordFile(folder / "x.dat", testMachine("x")).ok());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(namesIn(folder.path()), kept);
}

TEST(SaveRecordFile, StaleTemporariesNeverBlockASave) {
    TemporaryFolder folder;
    for (int i = 0; i < 100; ++i) {
        writeBytes(folder / ("x.dat.saving" + std::to_string(i)), kOldBytes);
        writeBytes(folder / (".korvex-" + std::to_string(10000000 + i)), kOldBytes);
    }
    ASSERT_TRUE(saveRecordFile(folder / "x.dat", testMachine("x")).ok());
    EXPECT_EQ(readBytes(folder / "x.dat"), bytesOf(testMachine("x")));
    EXPECT_EQ(namesIn(folder.path()).size(), 201u) << "the save leaves no temporary behind";
}

TEST(SaveRecordFile, NamesOfUpTo255BytesSave) {
    TemporaryFolder folder;
    for (const std::size_t length : {250u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".dat";
        EXPECT_TRUE(saveRecordFile(folder / name, testMachine("x")).ok()) << length;
        EXPECT_EQ(readBytes(folder / name), bytesOf(testMachine("x"))) << length;
    }
}

TEST(SaveRecordFile, FailedWriteOrSyncLeavesTheOldFileAndNoTemporary) {
    struct Case {
        std::size_t limit;
        bool syncFails;
        std::errc reason;
    };
    for (const Case& c : {Case{0, false, std::errc::no_space_on_device},
                          Case{600, false, std::errc::no_space_on_device},
                          Case{kRecordSize - 1, false, std::errc::no_space_on_device},
                          Case{kRecordSize, true, std::errc::io_error}}) {
        TemporaryFolder folder;
        writeBytes(folder / "old.dat", kOldBytes);
        FailingWriter writer(c.limit, c.syncFails);
        EXPECT_EQ(saveRecordFile(folder / "old.dat", testMachine("x"), writer).error, c.reason)
            << c.limit;
        EXPECT_EQ(readBytes(folder / "old.dat"), kOldBytes) << c.limit;
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"old.dat"}) << c.limit;
    }
}

// A folder the user may not create files in, holding a file they may write: overwritten in
// place where that cannot tear it, with the old bytes written back when that fails part-way;
// refused with the reason, the file untouched, where it could.
TEST(SaveRecordFile, OverwritesInPlaceWhereNoFileMayBeCreated) {
    struct Case {
        const char* name;
        std::size_t oldSize;
        std::size_t limit;
        bool syncFails;
        std::error_code reason;   // what the save says
        std::error_code checked;  // what the check before it says
    };
    const std::error_code tear = platform::ReplacementRefusal::NoNewFileWouldTear;
    const std::error_code full = std::make_error_code(std::errc::no_space_on_device);
    const std::error_code failed = std::make_error_code(std::errc::io_error);
    const Case cases[] = {
        {"writes", kRecordSize, kRecordSize, false, {}, {}},
        {"fails part-way", kRecordSize, 600, false, full, {}},
        {"fails to sync", 100, kRecordSize, true, failed, {}},
        {"old file longer", 3000, kRecordSize, false, tear, tear},
    };
    for (const Case& c : cases) {
        TemporaryFolder folder;
        const fs::path locked = folder / "locked";
        const std::vector<std::uint8_t> oldBytes(c.oldSize, 0x5A);
        fs::create_directory(locked);
        writeBytes(locked / "mine.dat", oldBytes);
        if (isRoot()) {
            ASSERT_EQ(chown((locked / "mine.dat").c_str(), 65534, 65534), 0);
            fs::permissions(folder.path(), fs::perms(0755));
        }
        fs::permissions(locked, fs::perms(0555));
        const bool asExpected = runUnprivileged([&] {
            FailingWriter writer(c.limit, c.syncFails);
            const SaveResult saved = saveRecordFile(locked / "mine.dat", testMachine("x"), writer);
            const platform::ReplacementCheck check =
                platform::checkReplacement(locked / "mine.dat", kRecordSize);
            return check.error == c.checked && saved.error == c.reason &&
                   readBytes(locked / "mine.dat") ==
                       (c.reason ? oldBytes : bytesOf(testMachine("x")));
        });
        EXPECT_TRUE(asExpected) << c.name;
        fs::permissions(locked, fs::perms(0755));
    }
}

}  // namespace
