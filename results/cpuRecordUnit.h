#pragma once
// The record of one machine, TCpuRecord, and the result files that hold such records.
//
// A record is exactly 1316 bytes, the same in memory and on disk: four descriptions (processor,
// front-side-bus frequency, memory size, operating system), each a length byte and 128 bytes of
// Windows-1251 text, then the machine's result table of 200 unsigned 32-bit values,
// little-endian. A result file is nothing but records back to back: no header, no count, no
// checksum, so files joined byte for byte form a valid file.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "testrun/resultTableUnit.h"

inline constexpr std::size_t kDescriptionCapacity = 128;

// One description: L (0 to 128), then the text in its first L bytes. The bytes after the text
// are not significant. A length byte above 128, which no writer produces, reads as 128.
struct TDescription {
    std::uint8_t Length;
    std::array<char, kDescriptionCapacity> Text;
};

struct TCpuRecord {
    TDescription Cpu;
    TDescription Fsb;
    TDescription Memory;
    TDescription Os;
    ResultTable Results;
};

inline constexpr std::size_t kRecordSize = 1316;

static_assert(std::endian::native == std::endian::little,
              "records are kept in memory in their little-endian file layout");
static_assert(sizeof(TDescription) == 129);
static_assert(sizeof(TCpuRecord) == kRecordSize);
static_assert(offsetof(TCpuRecord, Cpu) == 0);
static_assert(offsetof(TCpuRecord, Fsb) == 129);
static_assert(offsetof(TCpuRecord, Memory) == 258);
static_assert(offsetof(TCpuRecord, Os) == 387);
static_assert(offsetof(TCpuRecord, Results) == 516);

// The description's text as stored (Windows-1251 bytes), never longer than its slot.
std::string_view descriptionBytes(const TDescription& description);

// The description's text as UTF-8, for display.
std::string descriptionText(const TDescription& description);

// Stores Windows-1251 `bytes`, cut to 128; the rest of the slot is zero.
void setDescriptionBytes(TDescription& description, std::string_view bytes);

// Stores UTF-8 `text` converted to Windows-1251 (a character without a Windows-1251 form becomes
// '?'), cut to its first 128 characters; the rest of the slot is zero.
void setDescriptionText(TDescription& description, std::string_view text);

// A record with empty descriptions and an all-zero table.
TCpuRecord emptyRecord();

// A record from up to 1316 bytes of a file; the bytes missing at the end are zero.
TCpuRecord recordFromBytes(std::span<const std::uint8_t> bytes);

// Appends the records of a whole file's contents to `records`, in file order: one per 1316 bytes,
// and one more, zero-filled, for a trailing fragment. An empty file gives none.
void appendRecords(std::span<const std::uint8_t> contents, std::deque<TCpuRecord>& records);

// Whether `name` is a result file's name: it ends in ".dat" in any mix of upper and lower case.
bool isResultFileName(std::string_view name);

// Loads every result file of `folder` into `records`, the files in the order the directory
// listing returns them. A missing folder, and a file that cannot be opened or read (a folder
// named *.dat, a dangling link), add nothing and are skipped without a word. The whole of each
// file is read into one buffer reused for all of them.
void loadResultFolder(const std::filesystem::path& folder, std::deque<TCpuRecord>& records);

// How a save puts bytes into the file it has opened. The real one writes them all; tests put in
// one that fails part-way.
class RecordFileWriter {
  public:
    virtual ~RecordFileWriter() = default;
    // Writes every byte or returns false.
    virtual bool writeBytes(std::FILE* file, std::span<const std::uint8_t> bytes);
};

// Saves `record` as the file `target`, a file of exactly one record, replacing any file of that
// name. The bytes go to a new temporary file beside the target, which is renamed over the target
// only when all of them are written and the file is closed; on any failure the temporary file is
// removed, any old file stays exactly as it was, and the result is false.
bool saveRecordFile(const std::filesystem::path& target, const TCpuRecord& record);
bool saveRecordFile(const std::filesystem::path& target, const TCpuRecord& record,
                    RecordFileWriter& writer);
