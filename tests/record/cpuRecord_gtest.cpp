#include "record/cpuRecordUnit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/records.h"
#include "support/temporaryFolder.h"

namespace {

// A record whose every value tells where it came from.
TCpuRecord sampleRecord(const std::string& cpu, std::uint32_t firstValue) {
    TCpuRecord record = testMachine(cpu);
    std::uint32_t value = firstValue;
    for (ResultRow& row : record.Results)
        for (std::uint32_t& run : row) run = value++;
    return record;
}

bool sameRecord(const TCpuRecord& a, const TCpuRecord& b) {
    return std::memcmp(&a, &b, kRecordSize) == 0;
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
    constexpr std::size_t size = kRecordSize;
    const Case cases[] = {{0, 0}, {1, 1}, {size, 1}, {size + 1, 2}, {2 * size, 2}, {3 * size, 3}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> contents(c.length);
        for (std::size_t i = 0; i < c.length; ++i)
            contents[i] = static_cast<std::uint8_t>(i / size + 1);
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

    std::deque<TCpuRecord> records;
    loadResultFolder(folder / "joined", records);
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

}  // namespace
