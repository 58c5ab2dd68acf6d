#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// The record of one machine, TCpuRecord, and the result files that hold such records.
//
// A record is exactly 1316 bytes, the same in memory and on disk: four descriptions (processor,
// front-side-bus frequency, memory size, operating system), each a length byte and 128 bytes of
// Windows-1251 text, then the machine's result table of 200 unsigned 32-bit values,
// little-endian. A result file is nothing but records back to back: no header, no count, no
// checksum, so files joined byte for byte form a valid file.

#include <array>
#include <bit>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/fileReplacement.h"
#include "platform/machineDescription.h"
#include "platform/regularFile.h"
#include "record/coresResultUnit.h"
#include "record/recordQualityUnit.h"
#include "record/resultTableUnit.h"

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

// A record of `results` with the four lines of `description`, each stored as setDescriptionText
// does.
TCpuRecord describedRecord(const platform::MachineDescription& description,
                           const ResultTable& results);

// The four descriptions `record` holds, as UTF-8.
platform::MachineDescription recordDescription(const TCpuRecord& record);

// Appends the records of a whole file's contents to `records`, in file order: one per 1316 bytes,
// and one more, zero-filled, for a trailing fragment. An empty file gives none.
void appendRecords(std::span<const std::uint8_t> contents, std::deque<TCpuRecord>& records);

// Whether `name` ends in `extension` (lower case, with its dot) in any mix of upper and lower
// case.
bool hasExtension(std::string_view name, std::string_view extension);

// Whether `name` is a result file's name: it ends in ".dat" in any mix of upper and lower case.
inline bool isResultFileName(std::string_view name) { return hasExtension(name, ".dat"); }

// The most records a result folder loads: 1,048,576 records, 1.38 GB. Beyond it a folder's
// records are left out, so memory stays bounded whatever its files claim.
inline constexpr std::size_t kRecordBudget = std::size_t{1} << 20;

// A result file the reader could not use in full, for a caller that tells the user so.
struct ResultFileNote {
    enum class Kind {
        NotARegularFile,  // a FIFO, device, socket or folder: skipped, never opened
        Unreadable,       // could not be looked at, opened or read: adds no record
        OutOfMemory,      // abandoned, keeping the records already taken
        PartialRecord,    // its last record is a fragment, read as zero-filled
        InAHole,          // `records` whole records lie in a hole (never written): not loaded
        OverBudget,       // the budget is spent: `records` of this and later files left out
        NotARunReport,    // a *.json that is no run report this program reads: `detail` says why
        UnlikeItsResultFile,  // a run report whose tests are in no record of its result file
    };
    std::filesystem::path name;  // the file's name within its folder
    Kind kind;
    std::error_code reason;         // Unreadable: the system's reason
    std::size_t fragmentBytes = 0;  // PartialRecord: the fragment's length
    std::uint64_t records = 0;      // InAHole, OverBudget: how many records were not loaded
    std::uint64_t budget = 0;       // OverBudget: the most records the reader loaded
    std::string detail{};           // NotARunReport: why; UnlikeItsResultFile: that file's name
};

// The records one result file added: the file as `folder / name` with the folder as given, where
// its records lie among the records read, and each one's place in the file.
struct ResultFileRecords {
    std::filesystem::path file;
    std::size_t first = 0;
    std::size_t count = 0;
    // Each record's place in the file, from 0, when holes of a sparse file left places out;
    // empty when the records are the file's places 0 to count - 1.
    std::vector<std::uint64_t> places{};
    // The run on every core at once of its record `coresRecord` (from 0, among those it added),
    // from a run report: the file itself, or the report of the same name beside it.
    std::optional<CoresRun> cores{};
    std::size_t coresRecord = 0;
    // What that report says of the same record's run besides: the fingerprint of the kernel code
    // that ran and the quality report's warnings; empty where it says nothing.
    std::string kernelCode{};
    std::vector<std::string> warnings{};
    // And the quality of that record's run: its disturbed calls, spreads, unsteady tests and the
    // machine that ran it.
    std::optional<RecordQuality> quality{};

    std::uint64_t place(std::size_t record) const {
        return places.empty() ? record : places[record];
    }
};

// Reads the result files of a folder a slice at a time, so that a window stays responsive
// whatever the folder holds. The files are taken in the order the directory listing returns
// them; a name matches when it ends in ".dat" in any case. Only regular files are read (symbolic
// links to them are followed): a FIFO, a device, a socket or a folder named *.dat is skipped
// without being waited on. A file is read in chunks up to the length it had when opened, so
// memory holds the records and one chunk, never a copy of a whole file. A file that cannot be
// opened or read adds nothing; one for which memory runs out keeps the records already taken.
// The records in a hole of a sparse file hold nothing written and are not loaded, nor are the
// all-zero records of a sparse file (the rest of a hole, as the file system keeps holes in whole
// blocks); a record any of whose bytes were written is. At most `recordBudget` records are loaded;
// the rest are counted in an OverBudget note.
class ResultFolderReader {
  public:
    // Reads `folder` (opened now, so a later change of the current directory or a swap of a folder
    // on the way for a link does not matter) into `records`, which must outlive the reader, as must
    // `notes` when given: each file not used in full adds its note there, in listing order; so must
    // `files` when given: each file that added records adds its entry there.
    ResultFolderReader(const std::filesystem::path& folder, std::deque<TCpuRecord>& records,
                       std::vector<ResultFileNote>* notes = nullptr,
                       std::vector<ResultFileRecords>* files = nullptr,
                       std::size_t recordBudget = kRecordBudget);
    ResultFolderReader(const ResultFolderReader&) = delete;
    ResultFolderReader& operator=(const ResultFolderReader&) = delete;

    // Reads on until `deadline` has passed (at least one chunk or one file); true once the
    // whole folder has been read, false while some of it remains.
    [[nodiscard]] bool readSlice(std::chrono::steady_clock::time_point deadline);

    // Why the folder could not be read, or read whole (platform::HeldFolder::readError).
    std::error_code folderError() const { return held_.readError(); }

  private:
    friend std::error_code loadFirstRealRecord(const std::filesystem::path&,
                                               std::deque<TCpuRecord>&, ResultFileRecords&);
    // Reads only the file `name` of `folder` (whatever its name) and keeps its first real record.
    ResultFolderReader(const std::filesystem::path& folder, std::string name,
                       std::deque<TCpuRecord>& records, std::vector<ResultFileNote>& notes,
                       std::vector<ResultFileRecords>& files);
    bool nextName(std::string& name);
    bool openNextFile();
    void readChunk();
    std::uint64_t skipHole();
    bool takeRecords(std::span<const std::uint8_t> bytes, std::uint64_t firstPlace);
    void leaveOutTheRest();
    void closeFile(bool keepRecords);
    void note(ResultFileNote::Kind kind, std::error_code reason = {}, std::size_t fragment = 0,
              std::uint64_t records = 0);

    std::deque<TCpuRecord>& records_;
    std::vector<ResultFileNote>* notes_;
    std::vector<ResultFileRecords>* files_;
    std::filesystem::path folder_;  // as given, for the names in files_
    std::size_t budget_;
    std::filesystem::path fileName_;  // the name of the file being opened or read
    platform::HeldFolder held_;       // the folder, listed and its files opened through it
    std::optional<platform::RegularFile> file_;
    std::uint64_t unread_ = 0;           // bytes of the open file still to read
    std::uint64_t inHole_ = 0;           // records of the open file skipped in holes
    std::size_t firstOfFile_ = 0;        // where the open file's records begin in records_
    std::vector<std::uint64_t> places_;  // the open file's places, once a hole left some out
    bool sparse_ = false;                // a hole of the open file has been met
    std::vector<std::uint8_t> chunk_;    // one chunk, reused for every file
    bool finished_ = false;
    // Reading one file for its first real record: the name still to open (empty once opened).
    bool firstRealOnly_ = false;
    std::string onlyName_;
};

// The folder of result files the comparison reads, relative to the current directory, and the
// first place proposed for a save.
inline constexpr const char* kResultFolder = "cpus";

// Loads every result file of `folder` into `records` at once, as ResultFolderReader reads them
// (with their notes and files when `notes` and `files` are given). A missing folder adds nothing.
// Returns why the folder could not be read whole (ResultFolderReader::folderError).
std::error_code loadResultFolder(const std::filesystem::path& folder,
                                 std::deque<TCpuRecord>& records,
                                 std::vector<ResultFileNote>* notes = nullptr,
                                 std::vector<ResultFileRecords>* files = nullptr,
                                 std::size_t recordBudget = kRecordBudget);

// Reads the first real record of the result file `file` (--baseline names it) into `records`:
// through its folder held open, as ResultFolderReader reads a folder's files (only a regular file,
// links as it follows them, holes skipped, memory guarded), keeping the first record that lies in
// no hole and is not all zero, and reading no further. `entry` names the file and the record's
// place in it. The system's reason when the file cannot be read (ENOTSUP for one that is not a
// regular file, ENOMEM when memory ran out); no record when it holds only holes and zeros.
[[nodiscard]] std::error_code loadFirstRealRecord(const std::filesystem::path& file,
                                                  std::deque<TCpuRecord>& records,
                                                  ResultFileRecords& entry);

// What a save came to. Deliberately not convertible to bool: test ok() or look at the reason.
struct [[nodiscard]] SaveResult {
    std::error_code error;  // the system's reason; empty when the file was saved
    bool ok() const { return !error; }
};

// How a save puts the bytes into the file and makes them durable; tests put in one that fails.
using RecordFileWriter = platform::FileContentWriter;

// Saves `record` as the file `target`, a file of exactly one record, replacing any regular file
// of that name as platform::replaceFileContents does: written beside the target and renamed over
// it only when complete and on the disk, so on failure any old file stays exactly as it was; a
// symbolic link is written through, the old file's mode and owner are kept, and a target that
// is a folder, FIFO or device is refused.
[[nodiscard]] SaveResult saveRecordFile(const std::filesystem::path& target,
                                        const TCpuRecord& record);
[[nodiscard]] SaveResult saveRecordFile(const std::filesystem::path& target,
                                        const TCpuRecord& record, RecordFileWriter& writer);
