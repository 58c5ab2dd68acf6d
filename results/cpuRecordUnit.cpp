#include "results/cpuRecordUnit.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "platform/codePage.h"

namespace {

// The name of the temporary file a save writes first: the target's name with a suffix, so that
// a file left by a crash does not end in ".dat" and is never loaded as a result file.
std::filesystem::path temporaryName(const std::filesystem::path& target, int attempt) {
    std::filesystem::path name = target;
    name += ".saving" + std::to_string(attempt);
    return name;
}

// Opens a new temporary file beside `target` that did not exist before ("x": exclusive create),
// so a save never writes into a file it did not create.
std::FILE* createTemporaryFile(const std::filesystem::path& target,
                               std::filesystem::path& temporary) {
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        temporary = temporaryName(target, attempt);
        if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return file;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

// Reads the whole of `path` into `buffer`; false when it cannot be opened or read.
bool readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& buffer) {
    buffer.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    constexpr std::size_t kChunk = 1 << 20;
    bool ok = true;
    for (;;) {
        const std::size_t used = buffer.size();
        buffer.resize(used + kChunk);
        const std::size_t got = std::fread(buffer.data() + used, 1, kChunk, file);
        buffer.resize(used + got);
        if (got < kChunk) {
            ok = std::ferror(file) == 0;
            break;
        }
    }
    std::fclose(file);
    return ok;
}

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

TCpuRecord recordFromBytes(std::span<const std::uint8_t> bytes) {
    TCpuRecord record = emptyRecord();
    std::memcpy(&record, bytes.data(), std::min(bytes.size(), kRecordSize));
    return record;
}

void appendRecords(std::span<const std::uint8_t> contents, std::deque<TCpuRecord>& records) {
    for (std::size_t position = 0; position < contents.size(); position += kRecordSize)
        records.push_back(recordFromBytes(contents.subspan(position)));
}

bool isResultFileName(std::string_view name) {
    constexpr std::string_view kExtension = ".dat";
    if (name.size() < kExtension.size()) return false;
    const std::string_view ending = name.substr(name.size() - kExtension.size());
    return std::equal(ending.begin(), ending.end(), kExtension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

void loadResultFolder(const std::filesystem::path& folder, std::deque<TCpuRecord>& records) {
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    if (error) return;
    std::vector<std::uint8_t> buffer;
    for (; entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (!isResultFileName(entry->path().filename().native())) continue;
        if (readWholeFile(entry->path(), buffer)) appendRecords(buffer, records);
    }
}

bool RecordFileWriter::writeBytes(std::FILE* file, std::span<const std::uint8_t> bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool saveRecordFile(const std::filesystem::path& target, const TCpuRecord& record) {
    RecordFileWriter writer;
    return saveRecordFile(target, record, writer);
}

bool saveRecordFile(const std::filesystem::path& target, const TCpuRecord& record,
                    RecordFileWriter& writer) {
    std::filesystem::path temporary;
    std::FILE* file = createTemporaryFile(target, temporary);
    if (file == nullptr) return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    bool written = writer.writeBytes(file, {bytes, kRecordSize});
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    std::error_code error;
    if (written) std::filesystem::rename(temporary, target, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}
