#include "platform/fileReplacement.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "record/saveFolderUnit.h"
#include "support/records.h"
#include "support/temporaryFolder.h"
#include "support/unprivileged.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOfText(const std::string& text) {
    return {text.begin(), text.end()};
}

// Writes and renames as the real writer does, without waiting for the disk.
class UnsyncedWriter final : public platform::FileContentWriter {
  public:
    std::error_code sync(int) override { return {}; }
};

// The three outputs of a run, which all go through one save: the result file, JSON, CSV.
struct Output {
    const char* name;
    std::vector<std::uint8_t> bytes;
};
const std::vector<Output>& outputs() {
    static const std::vector<Output> kOutputs = {
        {"out.dat", bytesOf(testMachine("swap"))},
        {"out.json", bytesOfText("{\"schema\": 1, \"tests\": []}\n")},
        {"out.csv", bytesOfText("test,cycles\n1,100\n")}};
    return kOutputs;
}

// Another user swaps their folder `d` of a sticky shared folder with their link `l` to a folder
// only root may enter, over and over, while root saves into `d` and reads it. Neither a save
// nor a read ever reaches the root-only folder; whatever is saved lands in `d` itself.
TEST(FileReplacement, FolderSwappedForALinkNeverLeadsTheSaveOrTheReadElsewhere) {
    if (!isRoot()) GTEST_SKIP() << "a swap by another user needs root";
    TemporaryFolder folder;
    fs::permissions(folder.path(), fs::perms(0755));
    const fs::path shared = folder / "shared", secret = folder / "secret";
    const fs::path theirs = shared / "d", link = shared / "l";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms(01777));
    fs::create_directory(secret);
    fs::permissions(secret, fs::perms(0700));
    writeBytes(secret / "x.dat", bytesOf(testMachine("secret")));
    fs::create_directory(theirs);
    ASSERT_EQ(chown(theirs.c_str(), kNobody, kNobody), 0);
    writeBytes(theirs / "x.dat", bytesOf(testMachine("theirs")));

    const pid_t swapper = fork();
    if (swapper == 0) {
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0 ||
            symlink(secret.c_str(), link.c_str()) != 0)
            _exit(1);
        for (;;) renameat2(AT_FDCWD, theirs.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
    }
    while (!fs::is_symlink(theirs) && !fs::is_symlink(link)) sched_yield();

    constexpr int kRounds = 1000;
    UnsyncedWriter writer;
    int saved = 0, readThrough = 0, readSecret = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (const Output& output : outputs())
            saved += !platform::replaceFileContents(theirs / output.name, output.bytes, writer);
        std::deque<TCpuRecord> records;
        loadResultFolder(theirs, records);
        for (const TCpuRecord& record : records)
            ++(recordDescription(record).processor == "secret" ? readSecret : readThrough);
    }
    kill(swapper, SIGKILL);
    waitpid(swapper, nullptr, 0);
    std::cout << saved << " of " << 3 * kRounds << " saves and " << readThrough << " of " << kRounds
              << " reads went through\n";

    EXPECT_EQ(namesIn(secret), std::vector<std::string>{"x.dat"});
    EXPECT_EQ(readBytes(secret / "x.dat"), bytesOf(testMachine("secret")));
    EXPECT_EQ(readSecret, 0);
    EXPECT_GT(saved, 0) << "the swap never let a save through: the test proves nothing";
    const fs::path real = fs::is_symlink(theirs) ? link : theirs;
    for (const Output& output : outputs()) {
        if (fs::exists(real / output.name)) {
            EXPECT_EQ(readBytes(real / output.name), output.bytes) << output.name;
        }
    }
}

// The rename reaches the disk only with its folder: the save syncs the file before the rename
// and the folder after it.
TEST(FileReplacement, FolderIsSyncedAfterTheRename) {
    TemporaryFolder folder;
    const fs::path target = folder / "out.json";
    writeBytes(target, bytesOfText("old"));
    struct Sync {
        bool folder;
        bool renamed;
        bool operator==(const Sync&) const = default;
    };
    class RecordingWriter final : public platform::FileContentWriter {
      public:
        explicit RecordingWriter(const fs::path& target) : target_(target) {}
        std::error_code sync(int descriptor) override {
            struct stat status {};
            fstat(descriptor, &status);
            syncs.push_back({S_ISDIR(status.st_mode), readBytes(target_) == bytesOfText("new")});
            return FileContentWriter::sync(descriptor);
        }
        std::vector<Sync> syncs;

      private:
        fs::path target_;
    } writer(target);
    ASSERT_FALSE(platform::replaceFileContents(target, bytesOfText("new"), writer));
    EXPECT_EQ(writer.syncs, (std::vector<Sync>{{false, false}, {true, true}}));
}

// What nobody meets replacing a file of root's: refused before the run with the reason, or
// written, and then by the save too. Sticky folders let only the owners replace a file; a
// writable file may still be written in place where that cannot tear it.
TEST(FileReplacement, EarlyCheckForeseesWhatTheSaveMeets) {
    if (!isRoot()) GTEST_SKIP() << "files of another user need root";
    using Refusal = platform::ReplacementRefusal;
    struct Case {
        const char* name;
        mode_t mode;
        std::size_t oldSize;
        bool stickyFolder;  // else a folder of nobody's own
        bool twoLinks;
        std::error_code reason;  // of the check and the save alike
        std::uint64_t linksLeftBehind;
    };
    const Case cases[] = {
        {"0644 in a sticky folder", 0644, kRecordSize, true, false, Refusal::StickyFolder, 0},
        {"0666 in a sticky folder", 0666, kRecordSize, true, false, {}, 0},
        {"0666 longer in a sticky folder", 0666, 3000, true, false, Refusal::StickyFolderWouldTear,
         0},
        {"0644 with two links in nobody's folder", 0644, kRecordSize, false, true, {}, 1},
    };
    const std::vector<std::uint8_t> newBytes = bytesOf(testMachine("new"));
    for (const Case& c : cases) {
        TemporaryFolder folder;
        fs::permissions(folder.path(), fs::perms(0755));
        const fs::path place = folder / "place", target = place / "res.dat";
        fs::create_directory(place);
        if (c.stickyFolder)
            fs::permissions(place, fs::perms(01777));
        else
            ASSERT_EQ(chown(place.c_str(), kNobody, kNobody), 0);
        const std::vector<std::uint8_t> oldBytes(c.oldSize, 0x5A);
        writeBytes(target, oldBytes);
        fs::permissions(target, static_cast<fs::perms>(c.mode));
        if (c.twoLinks) fs::create_hard_link(target, place / "other.dat");
        const bool asExpected = runUnprivileged([&] {
            UnsyncedWriter writer;
            platform::ReplacementNotes notes;
            return platform::checkReplacement(target, kRecordSize).error == c.reason &&
                   platform::replaceFileContents(target, newBytes, writer, &notes) == c.reason &&
                   notes.linksLeftBehind == c.linksLeftBehind &&
                   readBytes(target) == (c.reason ? oldBytes : newBytes);
        });
        EXPECT_TRUE(asExpected) << c.name;
    }
}

TEST(FileReplacement, KernelFileSystemsAreRefusedWithTheReason) {
    for (const char* target : {"/proc/self/comm", "/proc/korvex.json", "/sys/kernel/korvex.dat"}) {
        UnsyncedWriter writer;
        const std::error_code refusal = platform::ReplacementRefusal::KernelFileSystem;
        EXPECT_EQ(platform::checkReplacement(target).error, refusal) << target;
        EXPECT_EQ(platform::replaceFileContents(target, bytesOfText("x"), writer), refusal)
            << target;
    }
}

// A chain of folders whose absolute name is longer than the system takes in one call, made and
// removed through descriptors.
class LongFolder {
  public:
    explicit LongFolder(const fs::path& base) : path_(base) {
        levels_.push_back(open(base.c_str(), O_RDONLY | O_DIRECTORY));
        for (int level = 0; level < kLevels; ++level) {
            mkdirat(levels_.back(), kName.c_str(), 0755);
            levels_.push_back(openat(levels_.back(), kName.c_str(), O_RDONLY | O_DIRECTORY));
            path_ /= kName;
        }
    }
    ~LongFolder() {
        unlinkat(levels_.back(), "x.dat", 0);
        for (std::size_t level = levels_.size() - 1; level > 0; --level) {
            close(levels_[level]);
            unlinkat(levels_[level - 1], kName.c_str(), AT_REMOVEDIR);
        }
        close(levels_.front());
    }
    const fs::path& path() const { return path_; }

  private:
    static constexpr int kLevels = 24;
    inline static const std::string kName = std::string(200, 'n');
    fs::path path_;
    std::vector<int> levels_;
};

TEST(FileReplacement, PathsLongerThanTheSystemLimitWorkThroughDescriptors) {
    TemporaryFolder folder;
    const LongFolder deep(folder.path());
    ASSERT_GT(deep.path().native().size(), 4096u);
    EXPECT_FALSE(platform::checkReplacement(deep.path() / "x.dat").error);
    EXPECT_TRUE(saveRecordFile(deep.path() / "x.dat", testMachine("deep")).ok());
    EXPECT_FALSE(checkResultFolder(deep.path()));
    std::deque<TCpuRecord> records;
    loadResultFolder(deep.path(), records);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(recordDescription(records.front()).processor, "deep");
}

// Each refusal says its own cause, not another's.
TEST(FileReplacement, EachRefusalNamesItsOwnCause) {
    using platform::ReplacementRefusal;
    const struct {
        ReplacementRefusal refusal;
        const char* cause;
    } cases[] = {
        {ReplacementRefusal::KernelFileSystem, "the kernel's own file systems"},
        {ReplacementRefusal::StickyFolder, "replace the file, and the file is not writable"},
        {ReplacementRefusal::StickyFolderWouldTear, "replace the file, and writing it in place"},
        {ReplacementRefusal::NoNewFileWouldTear, "the folder takes no new file"},
        {ReplacementRefusal::AnotherUsersLink, "belongs to another user"},
    };
    for (const auto& c : cases) {
        const std::string message = make_error_code(c.refusal).message();
        for (const auto& other : cases)
            EXPECT_EQ(message.find(other.cause) != std::string::npos, &other == &c)
                << message << " / " << other.cause;
    }
}

}  // namespace
