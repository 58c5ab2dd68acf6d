// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/cpuRecordUnit.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/codePage.h"
#include "platform/systemError.h"

namespace {

// Records per chunk: a chunk of 337 kB reads a file in few calls and costs little to hold.
constexpr std::size_t kChunkRecords = 256;

}  // namespace

std::string_view descriptionBytes(const TDescription& description) {
    const std::size_t length = std::min<std::size_t>(description.Length, kDescriptionCapacity);
    return {description.Text.data(), length};
}

std::string descriptionText(const TDescription& description) {
    return platform::windows1251ToUtf8(descriptionBytes(description));
}

void setDescriptionBytes(TDescription& description, std::string_view bytes) {
    const std::size_t length = std::min(bytes.size(), kDescriptionCapacity);
    description.Text.fill(0);
    std::copy_n(bytes.data(), length, description.Text.data());
    description.Length = static_cast<std::uint8_t>(length);
}

void setDescriptionText(TDescription& description, std::string_view text) {
    // Windows-1251 has one byte per character, so cutting the bytes cuts the characters.
    setDescriptionBytes(description, platform::utf8ToWindows1251(text));
}

TCpuRecord emptyRecord() {
    TCpuRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

TCpuRecord describedRecord(const platform::MachineDescription& description,
                           const ResultTable& results) {
    TCpuRecord record = emptyRecord();
    setDescriptionText(record.Cpu, description.processor);
    setDescriptionText(record.Fsb, description.bus);
    setDescriptionText(record.Memory, description.memory);
    setDescriptionText(record.Os, description.operatingSystem);
    record.Results = results;
    return record;
}

platform::MachineDescription recordDescription(const TCpuRecord& record) {
    return {descriptionText(record.Cpu), descriptionText(record.Fsb),
            descriptionText(record.Memory), descriptionText(record.Os)};
}

void appendRecords(std::span<const std::uint8_t> contents, std::deque<TCpuRecord>& records) {
    // Each record is copied once, straight into its block: a folder of gigabytes is copied once.
    for (std::size_t position = 0; position < contents.size(); position += kRecordSize) {
        TCpuRecord& record = records.emplace_back();  // value-initialised: all zero
        std::memcpy(&record, contents.data() + position,
                    std::min(kRecordSize, contents.size() - position));
    }
}

bool hasExtension(std::string_view name, std::string_view extension) {
    if (name.size() < extension.size()) return false;
    const std::string_view ending = name.substr(name.size() - extension.size());
    return std::equal(ending.begin(), ending.end(), extension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

ResultFolderReader::ResultFolderReader(const std::filesystem::path& folder,
                                       std::deque<TCpuRecord>& records,
                                       std::vector<ResultFileNote>* notes,
                                       std::vector<ResultFileRecords>* files,
                                       std::size_t recordBudget)
    : records_(records),
      notes_(notes),
      files_(files),
      folder_(folder),
      budget_(recordBudget),
      held_(folder) {
    finished_ = static_cast<bool>(held_.openError());
}

ResultFolderReader::ResultFolderReader(const std::filesystem::path& folder, std::string name,
                                       std::deque<TCpuRecord>& records,
                                       std::vector<ResultFileNote>& notes,
                                       std::vector<ResultFileRecords>& files)
    : ResultFolderReader(folder, records, &notes, &files) {
    firstRealOnly_ = true;
    onlyName_ = std::move(name);
}

bool ResultFolderReader::readSlice(std::chrono::steady_clock::time_point deadline) {
    do {
        // Memory running out abandons the file being read; the records already taken stay.
        try {
            if (file_)
                readChunk();
            else if (!openNextFile())
                finished_ = true;
        } catch (const std::bad_alloc&) {
            note(ResultFileNote::Kind::OutOfMemory);
            closeFile(true);
        }
    } while (!finished_ && std::chrono::steady_clock::now() < deadline);
    return finished_;
}

// The next name of the listing, or the one file to read.
bool ResultFolderReader::nextName(std::string& name) {
    if (!firstRealOnly_) return held_.nextName(name);
    if (onlyName_.empty()) return false;
    name = std::exchange(onlyName_, {});
    return true;
}

// Opens the next result file of the listing that is a regular file; false at the end of the
// listing. A matching name that is not a regular file counts as a file read.
bool ResultFolderReader::openNextFile() {
    std::string name;
    while (nextName(name)) {
        if (!firstRealOnly_ && !isResultFileName(name)) continue;
        fileName_ = name;
        file_.emplace(held_, name);
        if (!file_->isOpen()) {
            const std::error_code reason = file_->openError();
            note(reason ? ResultFileNote::Kind::Unreadable : ResultFileNote::Kind::NotARegularFile,
                 reason);
            file_.reset();
            return true;
        }
        unread_ = file_->size();
        inHole_ = 0;
        firstOfFile_ = records_.size();
        places_.clear();
        sparse_ = false;
        return true;
    }
    return false;
}

// Reads one chunk of the open file into records: one per 1316 bytes, and a zero-filled one
// for a trailing fragment; none beyond the budget, and none past the data at the read position,
// so the hole after it adds no record.
void ResultFolderReader::readChunk() {
    // The chunk grows to the largest file read so far, up to its full size, so a folder of small
    // files never holds (or clears) a chunk they do not need.
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(
        kChunkRecords * kRecordSize, (unread_ / kRecordSize + 1) * kRecordSize));
    if (chunk_.size() < wanted) chunk_.resize(wanted);
    const std::uint64_t dataEnd = unread_ > 0 ? skipHole() : 0;
    if (unread_ > 0 && records_.size() >= budget_) return leaveOutTheRest();
    const std::uint64_t position = file_->size() - unread_;
    const std::uint64_t dataRecords =
        dataEnd > position ? (dataEnd - position + kRecordSize - 1) / kRecordSize : 1;
    const std::size_t room = records_.size() < budget_ ? budget_ - records_.size() : 0;
    const std::size_t limit =
        std::min({chunk_.size(), room * kRecordSize,
                  static_cast<std::size_t>(std::min<std::uint64_t>(dataRecords, kChunkRecords)) *
                      kRecordSize});
    std::size_t filled = 0;
    while (filled < limit && unread_ > 0) {
        const std::size_t want = std::min<std::uint64_t>(limit - filled, unread_);
        const std::ptrdiff_t got = file_->read({chunk_.data() + filled, want});
        if (got < 0) {
            note(ResultFileNote::Kind::Unreadable, platform::lastSystemError());
            return closeFile(false);
        }
        if (got == 0) {  // the file shrank since it was opened
            unread_ = 0;
            break;
        }
        filled += static_cast<std::size_t>(got);
        unread_ -= static_cast<std::uint64_t>(got);
    }
    const bool lastTaken = takeRecords({chunk_.data(), filled}, position / kRecordSize);
    if (unread_ == 0) {
        if (inHole_ > 0) note(ResultFileNote::Kind::InAHole, {}, 0, inHole_);
        if (const std::size_t fragment = filled % kRecordSize; fragment != 0 && lastTaken)
            note(ResultFileNote::Kind::PartialRecord, {}, fragment);
        closeFile(true);
    }
}

// Skips the records at the read position that lie wholly in a hole of the file (a fragment at
// the end too); where the data that follows ends.
std::uint64_t ResultFolderReader::skipHole() {
    const std::uint64_t position = file_->size() - unread_;
    const std::uint64_t data = std::clamp(file_->dataFrom(position), position, file_->size());
    const std::uint64_t skipped = data == file_->size() && data > position
                                      ? unread_
                                      : (data - position) / kRecordSize * kRecordSize;
    if (skipped > 0 && file_->seek(position + skipped)) {
        unread_ -= skipped;
        inHole_ += (skipped + kRecordSize - 1) / kRecordSize;
    }
    const std::uint64_t dataEnd = std::clamp(file_->holeFrom(data), data, file_->size());
    if (data > position || dataEnd < file_->size()) sparse_ = true;
    return dataEnd;
}

// Adds the records of `bytes`, read from place `firstPlace` on, as appendRecords does. In a
// sparse file an all-zero record is taken for the rest of a hole (a file system keeps holes in
// whole blocks, so the records beside one read as zeros) and counted with the hole's records;
// one file read for its first real record skips every all-zero record and ends the file after
// the first it keeps. Whether the last record was taken.
bool ResultFolderReader::takeRecords(std::span<const std::uint8_t> bytes,
                                     std::uint64_t firstPlace) {
    bool lastTaken = false;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kRecordSize) {
        const std::span<const std::uint8_t> record =
            bytes.subspan(offset, std::min(kRecordSize, bytes.size() - offset));
        if ((sparse_ || firstRealOnly_) &&
            std::all_of(record.begin(), record.end(), [](auto byte) { return byte == 0; })) {
            ++inHole_;
            lastTaken = false;
            continue;
        }
        // Each record's place is kept once one has been left out, and before the record itself,
        // so memory running out never leaves a record without its place.
        const std::uint64_t place = firstPlace + offset / kRecordSize;
        const std::size_t taken = records_.size() - firstOfFile_;
        if (!places_.empty() || place != taken) {
            if (places_.empty())
                for (std::uint64_t earlier = 0; earlier < taken; ++earlier)
                    places_.push_back(earlier);
            places_.push_back(place);
        }
        appendRecords(record, records_);
        lastTaken = true;
        if (firstRealOnly_) {
            unread_ = 0;
            break;
        }
    }
    return lastTaken;
}

// The budget is spent: counts the records of the open file still unread and of every later
// result file, notes them at the open file and ends the reading.
void ResultFolderReader::leaveOutTheRest() {
    const auto recordsOf = [](std::uint64_t bytes) {
        return (bytes + kRecordSize - 1) / kRecordSize;
    };
    std::uint64_t leftOut = recordsOf(unread_);
    closeFile(true);
    for (std::string name; held_.nextName(name);) {
        if (!isResultFileName(name)) continue;
        if (const platform::RegularFile later(held_, name); later.isOpen())
            leftOut += recordsOf(later.size());
    }
    note(ResultFileNote::Kind::OverBudget, {}, 0, leftOut);
    if (notes_ != nullptr) notes_->back().budget = budget_;
    finished_ = true;
}

// Closes the open file. A file that could not be read adds nothing: its records go again.
void ResultFolderReader::closeFile(bool keepRecords) {
    if (!keepRecords) records_.resize(firstOfFile_);
    // Memory running out part-way may have left places without records or, while the places
    // were first filled in, records without places: a record is kept only with its place.
    if (!places_.empty() && places_.size() < records_.size() - firstOfFile_)
        records_.resize(firstOfFile_ + places_.size());
    const std::size_t count = records_.size() - firstOfFile_;
    if (!places_.empty()) places_.resize(count);
    if (files_ != nullptr && count > 0)
        files_->push_back(
            {(folder_ / fileName_).lexically_normal(), firstOfFile_, count, std::move(places_)});
    places_.clear();
    file_.reset();
}

void ResultFolderReader::note(ResultFileNote::Kind kind, std::error_code reason,
                              std::size_t fragment, std::uint64_t records) {
    if (notes_ != nullptr) notes_->push_back({fileName_, kind, reason, fragment, records});
}

std::error_code loadResultFolder(const std::filesystem::path& folder,
                                 std::deque<TCpuRecord>& records,
                                 std::vector<ResultFileNote>* notes,
                                 std::vector<ResultFileRecords>* files, std::size_t recordBudget) {
    ResultFolderReader reader(folder, records, notes, files, recordBudget);
    while (!reader.readSlice(std::chrono::steady_clock::time_point::max())) {
    }
    return reader.folderError();
}

std::error_code loadFirstRealRecord(const std::filesystem::path& file,
                                    std::deque<TCpuRecord>& records, ResultFileRecords& entry) {
    std::vector<ResultFileNote> notes;
    std::vector<ResultFileRecords> files;
    ResultFolderReader reader(platform::containingFolder(file), file.filename().string(), records,
                              notes, files);
    if (const std::error_code error = reader.held_.openError()) return error;
    while (!reader.readSlice(std::chrono::steady_clock::time_point::max())) {
    }
    if (!files.empty()) {
        entry = std::move(files.front());
        entry.file = file;
        return {};
    }
    for (const ResultFileNote& note : notes) switch (note.kind) {
            case ResultFileNote::Kind::Unreadable:
                return note.reason;
            case ResultFileNote::Kind::NotARegularFile:
                return std::make_error_code(std::errc::operation_not_supported);
            case ResultFileNote::Kind::OutOfMemory:
                return std::make_error_code(std::errc::not_enough_memory);
            default:
                break;
        }
    return {};
}

SaveResult saveRecordFile(const std::filesystem::path& target, const TCpuRecord& record) {
    RecordFileWriter writer;
    return saveRecordFile(target, record, writer);
}

SaveResult saveRecordFile(const std::filesystem::path& target, const TCpuRecord& record,
                          RecordFileWriter& writer) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    return {platform::replaceFileContents(target, {bytes, kRecordSize}, writer)};
}
