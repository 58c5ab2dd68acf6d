#include "results/saveFolderUnit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "results/temporaryFolder.h"

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

TEST(SaveFolder, TargetFolderMustExistBeAFolderAndTakeAFile) {
    TemporaryFolder folder;
    writeBytes(folder / "plain", std::vector<std::uint8_t>{1});
    EXPECT_FALSE(checkTargetFolder(folder / "x.dat"));
    EXPECT_EQ(checkTargetFolder(folder / "missing/x.dat"), std::errc::no_such_file_or_directory);
    EXPECT_EQ(checkTargetFolder(folder / "plain/x.dat"), std::errc::not_a_directory);
    // /sys refuses new files even to root, whatever its permission bits say.
    EXPECT_TRUE(checkTargetFolder("/sys/x.dat"));
    // The probe leaves nothing behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(SaveFolder, WriteErrorCarriesPathAndReason) {
    EXPECT_EQ(writeErrorText("cpus/a.dat", std::make_error_code(std::errc::no_space_on_device)),
              "Ошибка записи: cpus/a.dat: No space left on device");
    EXPECT_EQ(writeErrorText("cpus/a.dat", {}), "Ошибка записи");
}

TEST(SaveFolder, NotesNameSkippedAndPartialFilesOnly) {
    TemporaryFolder folder;
    writeBytes(folder / "whole.dat", std::vector<std::uint8_t>(2 * 1316));
    writeBytes(folder / "partial.DAT", std::vector<std::uint8_t>(1317));
    writeBytes(folder / "other.txt", std::vector<std::uint8_t>(5));
    writeBytes(folder / "\x1b[2Jodd.dat", std::vector<std::uint8_t>(1317));
    std::filesystem::create_directory(folder / "folder.dat");
    ASSERT_EQ(mkfifo((folder / "pipe.dat").c_str(), 0600), 0);
    std::filesystem::create_symlink(folder / "gone", folder / "dangling.dat");
    std::vector<std::string> notes = noteTexts(folder.path());
    std::sort(notes.begin(), notes.end());
    const std::string root = folder.path().string() + "/";
    EXPECT_EQ(notes, (std::vector<std::string>{
                         root + "?[2Jodd.dat: the last record is partial (1 of 1316 bytes; the "
                                "rest reads as 0)",
                         root + "dangling.dat: skipped (No such file or directory)",
                         root + "folder.dat: skipped (not a regular file)",
                         root + "partial.DAT: the last record is partial (1 of 1316 bytes; the "
                                "rest reads as 0)",
                         root + "pipe.dat: skipped (not a regular file)",
                     }));
    EXPECT_TRUE(noteTexts(folder / "missing").empty());
}

}  // namespace
