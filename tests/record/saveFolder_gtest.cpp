#include "record/saveFolderUnit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temporaryFolder.h"

namespace {

// What the console prints about `folder` once it has read it.
std::vector<std::string> noteTexts(const std::filesystem::path& folder) {
    std::deque<TCpuRecord> records;
    std::vector<ResultFileNote> notes;
    loadResultFolder(folder, records, &notes);
    std::vector<std::string> texts;
    for (const ResultFileNote& note : notes) texts.push_back(resultFileNoteText(folder, note));
    return texts;
}

// The check before a run refuses what the save would refuse, behind links too.
TEST(SaveFolder, EarlyCheckResolvesLinksAndRefusesWhatASaveWould) {
    TemporaryFolder folder;
    writeBytes(folder / "plain", std::vector<std::uint8_t>{1});
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("fifo", folder / "to-fifo.json");
    std::filesystem::create_symlink("/dev/null", folder / "to-null.json");
    std::filesystem::create_directory(folder / "sub");
    std::filesystem::create_symlink("sub", folder / "to-sub.json");
    const struct {
        std::string target;
        std::errc reason;
        bool folderFault;
    } cases[] = {
        {"missing/x.dat", std::errc::no_such_file_or_directory, true},
        {"plain/x.dat", std::errc::not_a_directory, true},
        {"to-fifo.json", std::errc::not_supported, false},
        {"to-null.json", std::errc::not_supported, false},
        {"to-sub.json", std::errc::is_a_directory, false},
    };
    for (const auto& c : cases) {
        const platform::ReplacementCheck check = platform::checkReplacement(folder / c.target);
        EXPECT_EQ(check.error, std::make_error_code(c.reason)) << c.target;
        EXPECT_EQ(check.folderFault, c.folderFault) << c.target;
    }
    EXPECT_FALSE(platform::checkReplacement(folder / "x.dat").error);
    // /sys refuses new files even to root, whatever its permission bits say.
    EXPECT_TRUE(platform::checkReplacement("/sys/x.dat").error);
    EXPECT_EQ(targetProblemText(folder / "to-fifo.json",
                                platform::checkReplacement(folder / "to-fifo.json")),
              "cannot write " + (folder / "to-fifo.json").string() + ": Operation not supported");
    // The probe leaves nothing behind.
    EXPECT_EQ(namesIn(folder.path()).size(), 6u);
}

TEST(SaveFolder, WriteErrorCarriesPathAndReason) {
    EXPECT_EQ(writeErrorText("cpus/a.dat", std::make_error_code(std::errc::no_space_on_device)),
              "Ошибка записи: cpus/a.dat: No space left on device");
    EXPECT_EQ(writeErrorText("cpus/a.dat", {}), "Ошибка записи");
}

TEST(SaveFolder, NotesNameSkippedAndPartialFilesOnly) {
    TemporaryFolder folder;
    writeBytes(folder / "whole.dat", std::vector<std::uint8_t>(2 * kRecordSize));
    writeBytes(folder / "partial.DAT", std::vector<std::uint8_t>(kRecordSize + 1));
    writeBytes(folder / "other.txt", std::vector<std::uint8_t>(5));
    for (const char* name : {"\x1b[2Jodd.dat",
                             "\xc2\x9b"
                             "2Jc1.dat",
                             "\x9braw.dat", "рёв.dat"})
        writeBytes(folder / name, std::vector<std::uint8_t>(kRecordSize + 1));
    std::filesystem::create_directory(folder / "folder.dat");
    ASSERT_EQ(mkfifo((folder / "pipe.dat").c_str(), 0600), 0);
    std::filesystem::create_symlink(folder / "gone", folder / "dangling.dat");
    std::vector<std::string> notes = noteTexts(folder.path());
    std::sort(notes.begin(), notes.end());
    const std::string root = folder.path().string() + "/";
    const std::string partial = ": the last record is partial (1 of " +
                                std::to_string(kRecordSize) + " bytes; the rest reads as 0)";
    EXPECT_EQ(notes, (std::vector<std::string>{
                         root + "?2Jc1.dat" + partial,
                         root + "?[2Jodd.dat" + partial,
                         root + "?raw.dat" + partial,
                         root + "dangling.dat: skipped (No such file or directory)",
                         root + "folder.dat: skipped (not a regular file)",
                         root + "partial.DAT" + partial,
                         root + "pipe.dat: skipped (not a regular file)",
                         root + "рёв.dat" + partial,
                     }));
    EXPECT_TRUE(noteTexts(folder / "missing").empty());
}

}  // namespace
