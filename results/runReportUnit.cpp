// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "results/runReportUnit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <nlohmann/json.hpp>

#include "platform/regularFile.h"
#include "platform/systemError.h"

namespace {

using Json = nlohmann::json;

// What makes a document no run report: the reason, for the reader's note.
struct NotAReport {
    std::string why;
};

[[noreturn]] void refuse(std::string why) { throw NotAReport{std::move(why)}; }

const Json& member(const Json& object, const char* name) {
    if (!object.is_object() || !object.contains(name)) refuse(std::string("no \"") + name + "\"");
    return object.at(name);
}

std::uint32_t figure(const Json& value, const char* field) {
    if (!value.is_number_unsigned() ||
        value.get<std::uint64_t>() > std::numeric_limits<std::uint32_t>::max())
        refuse(std::string("\"") + field + "\" holds no unsigned 32-bit figure");
    return static_cast<std::uint32_t>(value.get<std::uint64_t>());
}

std::optional<std::uint32_t> figureOrNull(const Json& value, const char* field) {
    if (value.is_null()) return std::nullopt;
    return figure(value, field);
}

std::string text(const Json& object, const char* name) {
    const Json& value = member(object, name);
    if (!value.is_string()) refuse(std::string("\"") + name + "\" is no text");
    return value.get<std::string>();
}

const Json& sized(const Json& value, const char* field, std::size_t size) {
    if (!value.is_array() || value.size() != size)
        refuse(std::string("\"") + field + "\" is not " + std::to_string(size) + " entries");
    return value;
}

void readRow(const Json& test, const char* field, ResultRow& row) {
    const Json& values = sized(member(test, field), field, kRunsPerTest);
    for (std::size_t run = 0; run < row.size(); ++run) row[run] = figure(values[run], field);
}

void readTest(const Json& test, int index, std::span<const TestName> tests, ResultTable& table) {
    const auto at = static_cast<std::size_t>(index);
    if (!tests.empty() && text(test, "id") != tests[at].id)
        refuse("test " + std::to_string(index) + " is not \"" + tests[at].id + "\"");
    ResultRow& cycles = cycleRow(table, index);
    ResultRow& milliseconds = millisecondRow(table, index);
    readRow(test, "cycles", cycles);
    readRow(test, "milliseconds", milliseconds);
    const Json& failed = member(test, "failed_runs");
    if (!failed.is_array()) refuse("\"failed_runs\" is no list");
    for (const Json& run : failed) {
        const std::uint32_t place = figure(run, "failed_runs");
        if (place >= kRunsPerTest) refuse("\"failed_runs\" names no run");
        cycles[place] = milliseconds[place] = 0;
    }
}

// Each worker's best, one per worker.
// A best per worker, or none at all: a test whose workers never reported (one was killed before
// its first call ended) has an empty list, as the run wrote it.
std::vector<std::optional<std::uint32_t>> workerBests(const Json& bests, const char* unit,
                                                      int count) {
    std::vector<std::optional<std::uint32_t>> figures;
    const Json& list = member(bests, unit);
    if (list.is_array() && list.empty()) return figures;
    for (const Json& best : sized(list, unit, static_cast<std::size_t>(count)))
        figures.push_back(figureOrNull(best, unit));
    return figures;
}

CoresRun readCores(const Json& cores) {
    CoresRun run;
    // Each worker takes a few bytes of the report at least, so a report holds fewer than
    // kRunReportLimit of them.
    const std::uint32_t count = figure(member(cores, "count"), "count");
    if (count < 1 || count > kRunReportLimit) refuse("\"count\" is out of range");
    run.count = static_cast<int>(count);
    for (const Json& test : sized(member(cores, "tests"), "tests", kTestCount)) {
        CoresTest& figures = run.tests.emplace_back();
        const Json& machine = member(test, "machine");
        figures.machineCycles = figureOrNull(member(machine, "cycles"), "cycles");
        figures.machineMilliseconds = figureOrNull(member(machine, "milliseconds"), "milliseconds");
        const Json& scaling = member(test, "scaling");
        if (!scaling.is_null()) {
            if (!scaling.is_number() || !std::isfinite(scaling.get<double>()) ||
                scaling.get<double>() < 0)
                refuse("\"scaling\" is no figure");
            figures.scaling = scaling.get<double>();
        }
        const Json& bests = member(test, "worker_best");
        figures.workerBestCycles = workerBests(bests, "cycles", run.count);
        figures.workerBestMilliseconds = workerBests(bests, "milliseconds", run.count);
        const Json& failure = member(test, "failure");
        if (!failure.is_null() && !failure.is_string()) refuse("\"failure\" is no text");
        if (failure.is_string()) figures.failure = failure.get<std::string>();
    }
    return run;
}

// The member `name` of `object` when it is there and of the kind `is` checks; null otherwise. The
// fields of a run's quality are extras a reader can do without, so one of the wrong kind is
// passed over rather than refusing the report.
template <typename Check>
const Json* optionalMember(const Json& object, const char* name, Check is) {
    if (!object.is_object() || !object.contains(name) || !is(object.at(name))) return nullptr;
    return &object.at(name);
}

const auto kIsArray = [](const Json& value) { return value.is_array(); };
const auto kIsString = [](const Json& value) { return value.is_string(); };

// The rounds the run itself called disturbed.
std::vector<std::uint64_t> disturbedRounds(const Json& document) {
    std::vector<std::uint64_t> rounds;
    if (const Json* list = optionalMember(document, "rounds", kIsArray))
        for (const Json& round : *list) {
            const Json* number = optionalMember(
                round, "round", [](const Json& value) { return value.is_number_unsigned(); });
            const Json* disturbed = optionalMember(
                round, "disturbed", [](const Json& value) { return value.is_boolean(); });
            if (number != nullptr && disturbed != nullptr && disturbed->get<bool>())
                rounds.push_back(number->get<std::uint64_t>());
        }
    return rounds;
}

// Bit j: the stored call j was disturbed, or ran in a disturbed round.
std::uint16_t disturbedCalls(const Json& test, const std::vector<std::uint64_t>& rounds) {
    std::uint16_t calls = 0;
    const Json* list = optionalMember(test, "calls", kIsArray);
    if (list == nullptr) return calls;
    for (std::size_t column = 0; column < list->size() && column < std::size_t{kRunsPerTest};
         ++column) {
        const Json& call = (*list)[column];
        bool disturbed = false;
        if (const Json* flag = optionalMember(call, "disturbed",
                                              [](const Json& value) { return value.is_boolean(); }))
            disturbed = flag->get<bool>();
        if (const Json* round = optionalMember(
                call, "round", [](const Json& value) { return value.is_number_unsigned(); }))
            disturbed = disturbed || std::find(rounds.begin(), rounds.end(),
                                               round->get<std::uint64_t>()) != rounds.end();
        if (disturbed) calls |= static_cast<std::uint16_t>(1U << column);
    }
    return calls;
}

RecordQuality readQuality(const Json& document) {
    RecordQuality quality;
    if (const Json* host = optionalMember(document, "host", kIsString)) quality.host = *host;
    if (const Json* brand = optionalMember(document.at("machine"), "processor", kIsString))
        quality.processor = *brand;
    if (const Json* order = optionalMember(document, "order", kIsString))
        if (*order == "rounds" || *order == "in-order") quality.order = *order;
    if (const Json* seed = optionalMember(
            document, "seed", [](const Json& value) { return value.is_number_unsigned(); }))
        quality.seed = seed->get<std::uint64_t>();
    const std::vector<std::uint64_t> rounds = disturbedRounds(document);
    const Json& testList = document.at("tests");
    for (std::size_t test = 0; test < quality.disturbedCalls.size(); ++test)
        quality.disturbedCalls[test] = disturbedCalls(testList[test], rounds);
    const Json* report =
        optionalMember(document, "quality", [](const Json& value) { return value.is_object(); });
    if (report == nullptr) return quality;
    if (const Json* spreads = optionalMember(*report, "tests", kIsArray))
        for (std::size_t test = 0; test < spreads->size() && test < quality.spreads.size(); ++test)
            if (const Json* spread = optionalMember((*spreads)[test], "spread", [](const Json& v) {
                    return v.is_number() && std::isfinite(v.get<double>()) && v.get<double>() >= 0;
                }))
                quality.spreads[test] = spread->get<double>();
    if (const Json* unsteady = optionalMember(*report, "unsteady_tests", kIsArray))
        for (const Json& test : *unsteady)
            if (test.is_number_unsigned() && test.get<std::uint64_t>() < quality.unsteady.size())
                quality.unsteady[test.get<std::size_t>()] = true;
    return quality;
}

RunReport readReport(const Json& document, std::span<const TestName> tests) {
    const Json& schema = member(document, "schema");
    if (!schema.is_number_unsigned() || schema.get<std::uint64_t>() < 1 ||
        schema.get<std::uint64_t>() > 2)
        refuse("schema " + (schema.is_number() ? schema.dump() : "of the wrong kind") +
               " is not 1 or 2");
    RunReport report{emptyRecord(), std::nullopt};
    const Json& machine = member(document, "machine");
    setDescriptionText(report.record.Cpu, text(machine, "cpu"));
    setDescriptionText(report.record.Fsb, text(machine, "fsb"));
    setDescriptionText(report.record.Memory, text(machine, "memory"));
    setDescriptionText(report.record.Os, text(machine, "os"));
    const Json& testList = sized(member(document, "tests"), "tests", kTestCount);
    for (int test = 0; test < kTestCount; ++test)
        readTest(testList[static_cast<std::size_t>(test)], test, tests, report.record.Results);
    if (document.contains("cores")) report.cores = readCores(document.at("cores"));
    if (document.contains("kernel_code")) report.kernelCode = text(document, "kernel_code");
    // The report's lines as printed: a heading and a line per test for the spreads, then what
    // disturbed the run and the warning with its causes, which are what the page shows.
    const Json* lines = document.contains("quality") && document.at("quality").is_object() &&
                                document.at("quality").contains("lines")
                            ? &document.at("quality").at("lines")
                            : nullptr;
    if (lines != nullptr && lines->is_array())
        for (std::size_t line = 1 + kTestCount; line < lines->size(); ++line)
            if ((*lines)[line].is_string()) report.warnings.push_back((*lines)[line]);
    report.quality = readQuality(document);
    return report;
}

// The whole file, at most kRunReportLimit bytes; nothing with the note's kind and reason when it
// cannot be used.
std::optional<std::string> readReportFile(const platform::HeldFolder& folder,
                                          const std::string& name, ResultFileNote& note) {
    platform::RegularFile file(folder, name);
    if (!file.isOpen()) {
        note.reason = file.openError();
        note.kind =
            note.reason ? ResultFileNote::Kind::Unreadable : ResultFileNote::Kind::NotARegularFile;
        return std::nullopt;
    }
    if (file.size() > kRunReportLimit) {
        note.kind = ResultFileNote::Kind::NotARunReport;
        note.detail = "larger than " + std::to_string(kRunReportLimit >> 20) + " MiB";
        return std::nullopt;
    }
    std::string contents(static_cast<std::size_t>(file.size()), '\0');
    std::size_t filled = 0;
    while (filled < contents.size()) {
        const std::ptrdiff_t got = file.read(
            {reinterpret_cast<std::uint8_t*>(contents.data()) + filled, contents.size() - filled});
        if (got < 0) {
            note.kind = ResultFileNote::Kind::Unreadable;
            note.reason = platform::lastSystemError();
            return std::nullopt;
        }
        if (got == 0) break;  // the file shrank since it was opened
        filled += static_cast<std::size_t>(got);
    }
    contents.resize(filled);
    return contents;
}

// The result file of this folder named as `report` is, with another ending: nullptr when none
// added records.
ResultFileRecords* resultFileOf(const std::filesystem::path& report,
                                std::vector<ResultFileRecords>& files) {
    for (ResultFileRecords& file : files)
        if (file.file.parent_path() == report.parent_path() && file.file.stem() == report.stem() &&
            isResultFileName(file.file.filename().string()))
            return &file;
    return nullptr;
}

// Gives `report`'s cores, kernel code and warnings to the last record of `file` with the
// report's tests; false when none has them.
bool joinResultFile(RunReport& report, ResultFileRecords& file,
                    const std::deque<TCpuRecord>& records) {
    for (std::size_t record = file.count; record-- > 0;) {
        if (file.first + record >= records.size() ||
            records[file.first + record].Results != report.record.Results)
            continue;
        file.cores = std::move(report.cores);
        file.coresRecord = record;
        file.kernelCode = std::move(report.kernelCode);
        file.warnings = std::move(report.warnings);
        file.quality = std::move(report.quality);
        return true;
    }
    return false;
}

}  // namespace

std::optional<RunReport> parseRunReport(std::string_view text, std::span<const TestName> tests,
                                        std::string& why) {
    const Json document = Json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        why = "not JSON, or cut short";
        return std::nullopt;
    }
    try {
        return readReport(document, tests);
    } catch (const NotAReport& refusal) {
        why = refusal.why;
    } catch (const Json::exception&) {
        why = "a field of the wrong kind";
    }
    return std::nullopt;
}

std::optional<RunReport> readRunReport(const std::filesystem::path& file,
                                       std::span<const TestName> tests, std::string& why) {
    const platform::HeldFolder held(file.has_parent_path() ? file.parent_path() : ".");
    if (held.openError()) {
        why = held.openError().message();
        return std::nullopt;
    }
    ResultFileNote note{file.filename().string(), ResultFileNote::Kind::NotARunReport, {}};
    const std::optional<std::string> contents = readReportFile(held, note.name.string(), note);
    if (contents) return parseRunReport(*contents, tests, why);
    why = note.reason                                        ? note.reason.message()
          : note.kind == ResultFileNote::Kind::NotARunReport ? note.detail
                                                             : "not a regular file";
    return std::nullopt;
}

void loadRunReports(const std::filesystem::path& folder, std::deque<TCpuRecord>& records,
                    std::vector<ResultFileNote>& notes, std::vector<ResultFileRecords>& files,
                    std::span<const TestName> tests, std::size_t recordBudget) {
    platform::HeldFolder held(folder);
    if (held.openError()) return;
    std::optional<std::size_t> overBudget;  // the note counting the reports left out
    for (std::string name; held.nextName(name);) {
        if (!isRunReportName(name)) continue;
        const std::filesystem::path path = (folder / name).lexically_normal();
        ResultFileNote note{name, ResultFileNote::Kind::NotARunReport, {}};
        try {
            std::optional<RunReport> report;
            if (const std::optional<std::string> contents = readReportFile(held, name, note))
                report = parseRunReport(*contents, tests, note.detail);
            if (!report) {
                notes.push_back(std::move(note));
                continue;
            }
            if (ResultFileRecords* beside = resultFileOf(path, files)) {
                if (!joinResultFile(*report, *beside, records))
                    notes.push_back({name,
                                     ResultFileNote::Kind::UnlikeItsResultFile,
                                     {},
                                     0,
                                     0,
                                     0,
                                     beside->file.filename().string()});
                continue;
            }
            if (records.size() >= recordBudget) {
                if (!overBudget) {
                    overBudget = notes.size();
                    notes.push_back(
                        {name, ResultFileNote::Kind::OverBudget, {}, 0, 0, recordBudget});
                }
                ++notes[*overBudget].records;
                continue;
            }
            records.push_back(report->record);
            files.push_back({path,
                             records.size() - 1,
                             1,
                             {},
                             std::move(report->cores),
                             0,
                             std::move(report->kernelCode),
                             std::move(report->warnings),
                             std::move(report->quality)});
        } catch (const std::bad_alloc&) {
            notes.push_back({name, ResultFileNote::Kind::Unreadable,
                             std::make_error_code(std::errc::not_enough_memory)});
        }
    }
}
