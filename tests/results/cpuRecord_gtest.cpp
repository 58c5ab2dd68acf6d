#include "results/cpuRecordUnit.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "results/temporaryFolder.h"

namespace {

std::vector<std::uint8_t> bytesOf(const TCpuRecord& record) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    return {bytes, bytes + kRecordSize};
}

// A record whose every byte tells where it came from.
TCpuRecord sampleRecord(const std::string& cpu, std::uint32_t firstValue) {
    TCpuRecord record = emptyRecord();
    setDescriptionText(record.Cpu, cpu);
    setDescriptionText(record.Fsb, "533 МГц");
    setDescriptionText(record.Memory, "1 ГБ");
    setDescriptionText(record.Os, "Linux");
    std::uint32_t value = firstValue;
    for (ResultRow& row : record.Results)
        for (std::uint32_t& run : row) run = value++;
    return record;
}

bool sameRecord(const TCpuRecord& a, const TCpuRecord& b) {
    return std::memcmp(&a, &b, kRecordSize) == 0;
}

std::deque<TCpuRecord> loadFolder(const std::filesystem::path& folder) {
    std::deque<TCpuRecord> records;
    loadResultFolder(folder, records);
    return records;
}

TEST(CpuRecord, FieldsSitAtTheirFileOffsetsLittleEndian) {
    TCpuRecord record = emptyRecord();
    setDescriptionBytes(record.Cpu, "A");
    setDescriptionBytes(record.Fsb, "BB");
    setDescriptionBytes(record.Memory, "CCC");
    setDescriptionBytes(record.Os, "DDDD");
    record.Results[3][4] = 0x01020304;
    record.Results[19][9] = 0xFFFFFFFE;
    const std::vector<std::uint8_t> bytes = bytesOf(record);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 'A');
    EXPECT_EQ(bytes[129], 2);
    EXPECT_EQ(bytes[130], 'B');
    EXPECT_EQ(bytes[258], 3);
    EXPECT_EQ(bytes[387], 4);
    EXPECT_EQ(bytes[387 + 4], 'D');
    const std::size_t at = 516 + 40 * 3 + 4 * 4;
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + at, bytes.begin() + at + 4)),
              (std::vector<std::uint8_t>{0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(bytes[1312], 0xFE);
    EXPECT_EQ(bytes[1315], 0xFF);
}

TEST(ResultFile, RecordsPerFileLength) {
    struct Case {
        std::size_t length;
        std::size_t records;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {1316, 1}, {1317, 2}, {2632, 2}, {3 * 1316, 3}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> contents(c.length);
        for (std::size_t i = 0; i < c.length; ++i)
            contents[i] = static_cast<std::uint8_t>(i / 1316 + 1);
        std::deque<TCpuRecord> records;
        appendRecords(contents, records);
        ASSERT_EQ(records.size(), c.records) << c.length;
        for (std::size_t r = 0; r < records.size(); ++r)
            EXPECT_EQ(records[r].Cpu.Length, r + 1) << "file order, length " << c.length;
    }
}

TEST(ResultFile, TrailingFragmentBecomesAZeroFilledRecord) {
    std::vector<std::uint8_t> contents = bytesOf(sampleRecord("first", 7));
    contents.push_back(5);
    std::deque<TCpuRecord> records;
    appendRecords(contents, records);
    ASSERT_EQ(records.size(), 2u);
    TCpuRecord expected = emptyRecord();
    expected.Cpu.Length = 5;
    EXPECT_TRUE(sameRecord(records[1], expected));
    EXPECT_EQ(descriptionText(records[1].Cpu), std::string(5, '\0'));
}

TEST(ResultFile, FilesJoinedByteForByteGiveEveryRecordInOrder) {
    TemporaryFolder folder;
    const TCpuRecord first = sampleRecord("Athlon XP", 100);
    const TCpuRecord second = sampleRecord("Pentium 4", 5000);
    ASSERT_TRUE(saveRecordFile(folder / "first.dat", first).ok());
    ASSERT_TRUE(saveRecordFile(folder / "second.dat", second).ok());
    std::vector<std::uint8_t> joined = readBytes(folder / "first.dat");
    const std::vector<std::uint8_t> tail = readBytes(folder / "second.dat");
    joined.insert(joined.end(), tail.begin(), tail.end());
    std::filesystem::create_directory(folder / "joined");
    writeBytes(folder / "joined" / "both.dat", joined);

    const std::deque<TCpuRecord> records = loadFolder(folder / "joined");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(sameRecord(records[0], first));
    EXPECT_TRUE(sameRecord(records[1], second));
}

TEST(Description, CutToItsFirst128Characters) {
    struct Case {
        const char* name;
        std::string text;
        std::string stored;
    };
    std::string cyrillic200;
    for (int i = 0; i < 200; ++i) cyrillic200 += "Ж";
    const Case cases[] = {
        {"200 characters", std::string(200, 'x'), std::string(128, 'x')},
        {"300 characters", std::string(300, 'y'), std::string(128, 'y')},
        {"exactly 128", std::string(128, 'z'), std::string(128, 'z')},
        {"200 Cyrillic characters", cyrillic200, std::string(128, '\xC6')},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        TCpuRecord record = emptyRecord();
        setDescriptionText(record.Os, c.text);
        EXPECT_EQ(record.Os.Length, c.stored.size()) << c.name;
        EXPECT_EQ(descriptionBytes(record.Os), c.stored) << c.name;
    }
}

TEST(Description, CyrillicTextIsStoredAsWindows1251AndReadBack) {
    TCpuRecord record = emptyRecord();
    setDescriptionText(record.Memory, "Объем 512 МБ");
    EXPECT_EQ(descriptionBytes(record.Memory), "\xCE\xE1\xFA\xE5\xEC 512 \xCC\xC1");
    EXPECT_EQ(descriptionText(record.Memory), "Объем 512 МБ");
}

TEST(Description, LengthByteAbove128ReadsAs128) {
    TCpuRecord record = emptyRecord();
    std::memset(record.Cpu.Text.data(), 'q', kDescriptionCapacity);
    record.Fsb.Length = 0x7A;  // the byte just past Cpu's slot must never be read as its text
    for (std::uint8_t length : {129, 200, 255}) {
        record.Cpu.Length = length;
        EXPECT_EQ(descriptionBytes(record.Cpu), std::string(128, 'q')) << int(length);
    }
}

TEST(ResultFolder, MatchesDatInAnyCaseAndSkipsWhatCannotBeRead) {
    TemporaryFolder folder;
    ASSERT_TRUE(saveRecordFile(folder / "lower.dat", sampleRecord("lower", 1)).ok());
    ASSERT_TRUE(saveRecordFile(folder / "UPPER.DAT", sampleRecord("upper", 2)).ok());
    ASSERT_TRUE(saveRecordFile(folder / "Mixed.Dat", sampleRecord("mixed", 3)).ok());
    ASSERT_TRUE(saveRecordFile(folder / "other.txt", sampleRecord("other", 4)).ok());
    ASSERT_TRUE(saveRecordFile(folder / "lower.dat.bak", sampleRecord("backup", 5)).ok());
    std::filesystem::create_directory(folder / "folder.dat");
    std::filesystem::create_symlink(folder / "nowhere", folder / "dangling.dat");
    writeBytes(folder / "empty.dat", {});

    std::vector<std::string> names;
    for (const TCpuRecord& record : loadFolder(folder.path()))
        names.push_back(descriptionText(record.Cpu));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"lower", "mixed", "upper"}));
}

TEST(ResultFolder, FilesComeInDirectoryListingOrder) {
    TemporaryFolder folder;
    for (const char* name : {"c", "a", "e", "b", "d", "f"})
        ASSERT_TRUE(
            saveRecordFile(folder / (std::string(name) + ".dat"), sampleRecord(name, 1)).ok());
    std::vector<std::string> listed;
    DIR* directory = opendir(folder.path().c_str());
    ASSERT_NE(directory, nullptr);
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name.size() > 4) listed.push_back(name.substr(0, name.size() - 4));
    }
    closedir(directory);

    std::vector<std::string> loaded;
    for (const TCpuRecord& record : loadFolder(folder.path()))
        loaded.push_back(descriptionText(record.Cpu));
    EXPECT_EQ(loaded, listed);
}

TEST(ResultFolder, MissingFolderGivesNoRecords) {
    TemporaryFolder folder;
    EXPECT_TRUE(loadFolder(folder / "cpus").empty());
}

TEST(SaveRecordFile, WritesExactlyOneRecordReplacingAnOldFile) {
    TemporaryFolder folder;
    std::vector<std::uint8_t> old(5000, 0xAB);
    writeBytes(folder / "machine.dat", old);
    const TCpuRecord record = sampleRecord("Ваша машина", 42);
    ASSERT_TRUE(saveRecordFile(folder / "machine.dat", record).ok());
    EXPECT_EQ(readBytes(folder / "machine.dat"), bytesOf(record));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// Writes the first `limit` bytes it is given, then fails, as a full disk would.
class FailingWriter final : public RecordFileWriter {
  public:
    explicit FailingWriter(std::size_t limit) : limit_(limit) {}
    std::error_code writeAll(int descriptor, std::span<const std::uint8_t> bytes) override {
        (void)RecordFileWriter::writeAll(descriptor, bytes.first(std::min(limit_, bytes.size())));
        return std::make_error_code(std::errc::no_space_on_device);
    }

  private:
    std::size_t limit_;
};

TEST(SaveRecordFile, FailedSaveLeavesTheOldFileAsItWas) {
    TemporaryFolder folder;
    const std::vector<std::uint8_t> old = bytesOf(sampleRecord("old machine", 9));
    writeBytes(folder / "old.dat", old);
    for (std::size_t limit : {std::size_t{0}, std::size_t{600}, kRecordSize - 1}) {
        FailingWriter writer(limit);
        EXPECT_FALSE(saveRecordFile(folder / "old.dat", sampleRecord("new", 1), writer).ok())
            << limit;
        EXPECT_EQ(readBytes(folder / "old.dat"), old) << limit;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                                std::filesystem::directory_iterator()),
                  1)
            << "no temporary file stays, limit " << limit;
    }
}

TEST(SaveRecordFile, FailsWhereNoFileCanBeWritten) {
    TemporaryFolder folder;
    writeBytes(folder / "plain-file", std::vector<std::uint8_t>(10, 1));
    std::filesystem::create_directories(folder / "taken.dat" / "inside");
    EXPECT_FALSE(saveRecordFile(folder / "plain-file" / "x.dat", sampleRecord("a", 1)).ok());
    EXPECT_FALSE(saveRecordFile(folder / "missing" / "x.dat", sampleRecord("a", 1)).ok());
    EXPECT_FALSE(saveRecordFile(folder / "taken.dat", sampleRecord("a", 1)).ok());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken.dat" / "inside"));
    EXPECT_EQ(readBytes(folder / "plain-file"), std::vector<std::uint8_t>(10, 1));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              2);
}

}  // namespace
