#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "record/cpuRecordUnit.h"
#include "record/runReportUnit.h"
#include "support/records.h"
#include "support/temporaryFolder.h"

namespace {

// A result file of `records` records of processor `cpu`, numbered in their first value.
void saveMachine(const std::filesystem::path& file, const std::string& cpu, int records = 1) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < records; ++i) {
        const std::vector<std::uint8_t> record =
            bytesOf(testMachine(cpu, {static_cast<std::uint32_t>(i)}));
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    writeBytes(file, bytes);
}

std::vector<std::string> cpuNames(const std::deque<TCpuRecord>& records) {
    std::vector<std::string> names;
    for (const TCpuRecord& record : records) names.push_back(descriptionText(record.Cpu));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ResultFolder, MatchesDatInAnyCaseFollowsLinksToFilesAndSkipsWhatCannotBeRead) {
    TemporaryFolder folder;
    for (const char* name : {"lower.dat", "UPPER.DAT", "Mixed.Dat", "other.txt", "lower.dat.bak"})
        saveMachine(folder / name, name);
    saveMachine(folder / "elsewhere", "linked");
    ASSERT_EQ(mkfifo((folder / "fifo.dat").c_str(), 0644), 0);
    std::filesystem::create_symlink(folder / "fifo.dat", folder / "to-fifo.dat");
    std::filesystem::create_symlink("/dev/zero", folder / "zero.dat");
    std::filesystem::create_symlink(folder / "elsewhere", folder / "link.dat");
    std::filesystem::create_symlink(folder / "nowhere", folder / "dangling.dat");
    std::filesystem::create_directory(folder / "folder.dat");
    writeBytes(folder / "empty.dat", {});

    std::deque<TCpuRecord> records;
    loadResultFolder(folder.path(), records);
    EXPECT_EQ(cpuNames(records),
              (std::vector<std::string>{"Mixed.Dat", "UPPER.DAT", "linked", "lower.dat"}));
}

TEST(ResultFolder, FilesComeInDirectoryListingOrder) {
    TemporaryFolder folder;
    for (const char* name : {"c", "a", "e", "b", "d", "f"})
        saveMachine(folder / (std::string(name) + ".dat"), name);
    std::vector<std::string> listed;
    DIR* directory = opendir(folder.path().c_str());
    ASSERT_NE(directory, nullptr);
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name.size() > 4) listed.push_back(name.substr(0, name.size() - 4));
    }
    closedir(directory);

    std::deque<TCpuRecord> records;
    loadResultFolder(folder.path(), records);
    std::vector<std::string> loaded;
    for (const TCpuRecord& record : records) loaded.push_back(descriptionText(record.Cpu));
    EXPECT_EQ(loaded, listed);
}

// A folder that cannot be read gives no records and says why, so a caller can tell it from an
// empty one.
TEST(ResultFolder, AFolderThatCannotBeReadGivesNoRecordsAndItsReason) {
    TemporaryFolder folder;
    writeBytes(folder / "plain", {});
    std::filesystem::create_directory(folder / "empty");
    const struct {
        const char* name;
        std::error_code reason;
    } cases[] = {
        {"missing", std::make_error_code(std::errc::no_such_file_or_directory)},
        {"plain", std::make_error_code(std::errc::not_a_directory)},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        std::deque<TCpuRecord> records;
        std::vector<ResultFileNote> notes;
        std::vector<ResultFileRecords> files;
        EXPECT_EQ(loadResultFolder(folder / c.name, records), c.reason) << c.name;
        EXPECT_EQ(loadRunReports(folder / c.name, records, notes, files, {}), c.reason) << c.name;
        EXPECT_TRUE(records.empty()) << c.name;
    }
}

// A hole of a sparse file holds nothing written: its whole records are counted, not loaded; the
// records written after it and a fragment at the end are read.
TEST(ResultFolder, RecordsInAHoleAreNotLoaded) {
    TemporaryFolder folder;
    constexpr std::size_t kRecordsBefore = 12800;  // 16.8 MB of hole before the record
    saveMachine(folder / "tail", "after the hole");
    std::vector<std::uint8_t> written = readBytes(folder / "tail");
    written.insert(written.end(), written.begin(), written.begin() + 10);
    {
        std::ofstream sparse(folder / "sparse.dat", std::ios::binary);
        sparse.seekp(static_cast<std::streamoff>(kRecordsBefore * kRecordSize));
        sparse.write(reinterpret_cast<const char*>(written.data()),
                     static_cast<std::streamsize>(written.size()));
    }
    std::deque<TCpuRecord> records;
    std::vector<ResultFileNote> notes;
    loadResultFolder(folder.path(), records, &notes);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].kind, ResultFileNote::Kind::InAHole);
    EXPECT_GT(notes[0].records, kRecordsBefore - 10);  // the hole ends on a block boundary
    EXPECT_EQ(notes[0].records + records.size(), kRecordsBefore + 2);
    EXPECT_EQ(notes[1].kind, ResultFileNote::Kind::PartialRecord);
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(std::memcmp(&records[records.size() - 2], written.data(), kRecordSize), 0);
}

// A sparse file gives the records written in it, each with its place in the file; its holes, and
// the zeros a file system keeps beside them, give none. A record whose first bytes lie in a hole
// but whose last were written is read.
TEST(ResultFolder, SparseFilesGiveTheirWrittenRecordsAtTheirPlaces) {
    struct Written {
        std::uint64_t offset;
        std::size_t bytes;
    };
    const struct {
        const char* what;
        std::uint64_t size;
        std::vector<Written> written;
        std::vector<std::uint64_t> places;
    } cases[] = {
        {"one record in 16 GiB", 16ull << 30, {{3 * kRecordSize, kRecordSize}}, {3}},
        {"records 0 and 100",
         101 * kRecordSize,
         {{0, kRecordSize}, {100 * kRecordSize, kRecordSize}},
         {0, 100}},
        {"a record begun in a hole",
         100 * kRecordSize,
         {{131072, 100 * kRecordSize - 131072}},
         {99}},
    };
    for (const auto& c : cases) {
        TemporaryFolder folder;
        {
            std::ofstream sparse(folder / "sparse.dat", std::ios::binary);
            for (const Written& written : c.written) {
                sparse.seekp(static_cast<std::streamoff>(written.offset));
                const std::string bytes(written.bytes, '\xab');
                sparse.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            }
        }
        std::filesystem::resize_file(folder / "sparse.dat", c.size);
        std::deque<TCpuRecord> records;
        std::vector<ResultFileRecords> files;
        loadResultFolder(folder.path(), records, nullptr, &files);
        ASSERT_EQ(files.size(), 1u) << c.what;
        std::vector<std::uint64_t> places;
        for (std::size_t record = 0; record < files[0].count; ++record)
            places.push_back(files[0].place(record));
        EXPECT_EQ(places, c.places) << c.what;
        EXPECT_EQ(records.size(), c.places.size()) << c.what;
    }
}

// A file that shrinks while it is read ends there: what it lost was never a hole.
TEST(ResultFolder, AFileShrinkingWhileReadIsNotTakenForAHole) {
    TemporaryFolder folder;
    saveMachine(folder / "many.dat", "many", 600);  // more than one chunk
    std::deque<TCpuRecord> records;
    std::vector<ResultFileNote> notes;
    ResultFolderReader reader(folder.path(), records, &notes);
    EXPECT_FALSE(reader.readSlice(std::chrono::steady_clock::time_point::min()));  // opens it
    EXPECT_FALSE(reader.readSlice(std::chrono::steady_clock::time_point::min()));  // one chunk
    ASSERT_FALSE(records.empty());
    std::filesystem::resize_file(folder / "many.dat", kRecordSize);
    while (!reader.readSlice(std::chrono::steady_clock::time_point::max())) {
    }
    for (const ResultFileNote& note : notes)
        EXPECT_NE(note.kind, ResultFileNote::Kind::InAHole) << note.records;
}

// Beyond the budget nothing is loaded; the note counts the records of this and later files.
TEST(ResultFolder, RecordsBeyondTheBudgetAreCountedNotLoaded) {
    TemporaryFolder folder;
    saveMachine(folder / "a.dat", "a", 5);
    saveMachine(folder / "b.dat", "b", 5);
    saveMachine(folder / "c.dat", "c", 5);
    std::deque<TCpuRecord> records;
    std::vector<ResultFileNote> notes;
    ResultFolderReader reader(folder.path(), records, &notes, nullptr, 7);
    while (!reader.readSlice(std::chrono::steady_clock::time_point::max())) {
    }
    EXPECT_EQ(records.size(), 7u);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].kind, ResultFileNote::Kind::OverBudget);
    EXPECT_EQ(notes[0].records, 8u);
}

TEST(ResultFolder, SlicesGiveTheSameRecordsInTheSameOrderAsOneGo) {
    TemporaryFolder folder;
    saveMachine(folder / "many.dat", "many", 600);  // more than one chunk
    for (const char* name : {"c", "a", "b"})
        saveMachine(folder / (std::string(name) + ".dat"), name);
    std::vector<std::uint8_t> fragment = readBytes(folder / "a.dat");
    fragment.resize(700);
    writeBytes(folder / "fragment.dat", fragment);

    std::deque<TCpuRecord> whole;
    loadResultFolder(folder.path(), whole);
    std::deque<TCpuRecord> sliced;
    ResultFolderReader reader(folder.path(), sliced);
    int slices = 1;
    while (!reader.readSlice(std::chrono::steady_clock::time_point::min())) ++slices;
    EXPECT_GT(slices, 5);
    ASSERT_EQ(sliced.size(), 604u);
    ASSERT_EQ(whole.size(), sliced.size());
    for (std::size_t i = 0; i < whole.size(); ++i)
        EXPECT_EQ(std::memcmp(&whole[i], &sliced[i], kRecordSize), 0) << "record " << i;
}

// Which records came from which file, so that a comparison can name each machine's file.
TEST(ResultFolder, EachFileThatGaveRecordsIsListedWithThem) {
    TemporaryFolder folder;
    saveMachine(folder / "two.dat", "two", 2);
    { std::ofstream create(folder / "empty.dat"); }
    saveMachine(folder / "one.dat", "one");
    std::deque<TCpuRecord> records;
    std::vector<ResultFileRecords> files;
    loadResultFolder(folder.path() / "." / "", records, nullptr, &files);
    ASSERT_EQ(files.size(), 2u);
    for (const ResultFileRecords& file : files) {
        const std::string name = file.file.filename().string();
        EXPECT_EQ(file.file, folder / name);
        EXPECT_EQ(file.count, name == "two.dat" ? 2u : 1u);
        EXPECT_EQ(descriptionText(records[file.first].Cpu), name.substr(0, 3));
    }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Loads `folder` with room for the program as it is and 64 MB more, and ends the process: 0
// when the records already taken were kept.
[[noreturn]] void loadWithLittleMemory(const std::filesystem::path& folder) {
    std::ifstream statm("/proc/self/statm");
    std::uintmax_t pages = 0;
    statm >> pages;
    const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
    const rlimit bound{limit, limit};
    setrlimit(RLIMIT_AS, &bound);
    std::deque<TCpuRecord> records;
    loadResultFolder(folder, records);
    std::_Exit(records.empty() ? 1 : 0);
}

// Memory that runs out while a file is read abandons that file, never the program.
TEST(ResultFolder, MemoryRunningOutSkipsTheFileWithoutACrash) {
    if (kSanitized) GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
    TemporaryFolder folder;
    writeBytes(folder / "huge.dat", std::vector<std::uint8_t>(128u << 20, 1));
    EXPECT_EXIT(loadWithLittleMemory(folder.path()), ::testing::ExitedWithCode(0), "");
}

// One file read for its first real record (a comparison's reference) keeps only the first record
// that lies in no hole and is not all zero, and remembers its place; what it cannot read gives
// the system's reason.
TEST(ResultFolder, OneFileGivesItsFirstRealRecordAtItsPlaceOrAReason) {
    const std::vector<std::uint8_t> record = bytesOf(testMachine("real", {7}));
    const std::vector<std::uint8_t> zeros(kRecordSize, 0);
    const struct {
        const char* what;
        std::uint64_t hole;  // bytes of hole before the written ones
        std::vector<std::vector<std::uint8_t>> written;
        std::uint64_t size;  // the file's length; 0: where the written bytes end
        std::optional<std::uint64_t> place;
    } cases[] = {
        {"two records", 0, {record, record}, 0, 0},
        {"zeros, then a record", 0, {zeros, zeros, record}, 0, 2},
        {"a record after 1 GiB of hole",
         std::uint64_t{kRecordSize} << 20,
         {record},
         16ull << 30,
         1u << 20},
        {"16 GiB of hole", 0, {}, 16ull << 30, std::nullopt},
        {"zeros written", 0, {zeros, zeros}, 0, std::nullopt},
        {"empty", 0, {}, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        TemporaryFolder folder;
        {
            std::ofstream file(folder / "base.bin", std::ios::binary);
            file.seekp(static_cast<std::streamoff>(c.hole));
            for (const std::vector<std::uint8_t>& bytes : c.written)
                file.write(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<std::streamsize>(bytes.size()));
        }
        if (c.size > 0) std::filesystem::resize_file(folder / "base.bin", c.size);
        std::deque<TCpuRecord> records;
        ResultFileRecords entry;
        EXPECT_FALSE(loadFirstRealRecord(folder / "base.bin", records, entry)) << c.what;
        ASSERT_EQ(records.size(), c.place ? 1u : 0u) << c.what;
        if (!c.place) continue;
        EXPECT_EQ(std::memcmp(&records[0], record.data(), kRecordSize), 0) << c.what;
        EXPECT_EQ(entry.count, 1u) << c.what;
        EXPECT_EQ(entry.place(0), *c.place) << c.what;
        EXPECT_EQ(entry.file, folder / "base.bin") << c.what;
    }

    TemporaryFolder folder;
    ASSERT_EQ(mkfifo((folder / "fifo.dat").c_str(), 0644), 0);
    std::filesystem::create_directory(folder / "folder.dat");
    std::filesystem::create_symlink("/dev/zero", folder / "zero.dat");
    const struct {
        const char* name;
        std::errc reason;
    } refused[] = {
        {"missing.dat", std::errc::no_such_file_or_directory},
        {"fifo.dat", std::errc::operation_not_supported},
        {"folder.dat", std::errc::operation_not_supported},
        {"zero.dat", std::errc::operation_not_supported},
        {"no-folder/a.dat", std::errc::no_such_file_or_directory},
    };
    for (const auto& r : refused) {
        std::deque<TCpuRecord> records;
        ResultFileRecords entry;
        EXPECT_EQ(loadFirstRealRecord(folder / r.name, records, entry), r.reason) << r.name;
        EXPECT_TRUE(records.empty()) << r.name;
    }
}

}  // namespace
