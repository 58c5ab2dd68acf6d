// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/runReportUnit.h"

#include <simdjson.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <unordered_map>

#include "platform/regularFile.h"
#include "platform/systemError.h"

namespace {

// The DOM of simdjson: the whole document checked (its syntax, its UTF-8) at the speed of the
// file, and only what the comparison uses taken out of it.
using Element = simdjson::dom::element;

// What makes a document no run report: the reason, for the reader's note.
struct NotAReport {
    std::string why;
};

[[noreturn]] void refuse(std::string why) { throw NotAReport{std::move(why)}; }

bool has(Element object, const char* name) {
    simdjson::dom::object fields;
    Element value;
    return !object.get_object().get(fields) && !fields.at_key(name).get(value);
}

Element member(Element object, const char* name) {
    simdjson::dom::object fields;
    Element value;
    if (object.get_object().get(fields) || fields.at_key(name).get(value))
        refuse(std::string("no \"") + name + "\"");
    return value;
}

std::uint32_t figure(Element value, const char* field) {
    std::uint64_t number = 0;
    if (value.get_uint64().get(number) || number > std::numeric_limits<std::uint32_t>::max())
        refuse(std::string("\"") + field + "\" holds no unsigned 32-bit figure");
    return static_cast<std::uint32_t>(number);
}

std::optional<std::uint32_t> figureOrNull(Element value, const char* field) {
    if (value.is_null()) return std::nullopt;
    return figure(value, field);
}

std::string text(Element object, const char* name) {
    std::string_view value;
    if (member(object, name).get_string().get(value))
        refuse(std::string("\"") + name + "\" is no text");
    return std::string(value);
}

simdjson::dom::array sized(Element value, const char* field, std::size_t size) {
    simdjson::dom::array list;
    if (value.get_array().get(list) || list.size() != size)
        refuse(std::string("\"") + field + "\" is not " + std::to_string(size) + " entries");
    return list;
}

// The list `value` when it holds at least `size` entries: a run's tests beyond a result file's
// ten follow them.
simdjson::dom::array atLeast(Element value, const char* field, std::size_t size) {
    simdjson::dom::array list;
    if (value.get_array().get(list) || list.size() < size)
        refuse(std::string("\"") + field + "\" is fewer than " + std::to_string(size) + " entries");
    return list;
}

void readRow(Element test, const char* field, ResultRow& row) {
    std::size_t run = 0;
    for (const Element value : sized(member(test, field), field, kRunsPerTest))
        row[run++] = figure(value, field);
}

void readTest(Element test, int index, std::span<const TestName> tests, ResultTable& table) {
    const auto at = static_cast<std::size_t>(index);
    if (!tests.empty() && text(test, "id") != tests[at].id)
        refuse("test " + std::to_string(index) + " is not \"" + tests[at].id + "\"");
    ResultRow& cycles = cycleRow(table, index);
    ResultRow& milliseconds = millisecondRow(table, index);
    readRow(test, "cycles", cycles);
    readRow(test, "milliseconds", milliseconds);
    simdjson::dom::array failed;
    if (member(test, "failed_runs").get_array().get(failed)) refuse("\"failed_runs\" is no list");
    for (const Element run : failed) {
        const std::uint32_t place = figure(run, "failed_runs");
        if (place >= kRunsPerTest) refuse("\"failed_runs\" names no run");
        cycles[place] = milliseconds[place] = 0;
    }
}

// A best per worker, or none at all: a test whose workers never reported (one was killed before
// its first call ended) has an empty list, as the run wrote it.
std::vector<std::optional<std::uint32_t>> workerBests(Element bests, const char* unit, int count) {
    std::vector<std::optional<std::uint32_t>> figures;
    const Element list = member(bests, unit);
    simdjson::dom::array entries;
    if (!list.get_array().get(entries) && entries.size() == 0) return figures;
    for (const Element best : sized(list, unit, static_cast<std::size_t>(count)))
        figures.push_back(figureOrNull(best, unit));
    return figures;
}

CoresRun readCores(Element cores) {
    CoresRun run;
    // Each worker takes a few bytes of the report at least, so a report holds fewer than
    // kRunReportLimit of them.
    const std::uint32_t count = figure(member(cores, "count"), "count");
    if (count < 1 || count > kRunReportLimit) refuse("\"count\" is out of range");
    run.count = static_cast<int>(count);
    for (const Element test : atLeast(member(cores, "tests"), "tests", kTestCount)) {
        CoresTest& figures = run.tests.emplace_back();
        const Element machine = member(test, "machine");
        figures.machineCycles = figureOrNull(member(machine, "cycles"), "cycles");
        figures.machineMilliseconds = figureOrNull(member(machine, "milliseconds"), "milliseconds");
        const Element scaling = member(test, "scaling");
        if (!scaling.is_null()) {
            double value = 0;
            if (!scaling.is_number() || scaling.get_double().get(value) || !std::isfinite(value) ||
                value < 0)
                refuse("\"scaling\" is no figure");
            figures.scaling = value;
        }
        const Element bests = member(test, "worker_best");
        figures.workerBestCycles = workerBests(bests, "cycles", run.count);
        figures.workerBestMilliseconds = workerBests(bests, "milliseconds", run.count);
        const Element failure = member(test, "failure");
        std::string_view reason;
        if (!failure.is_null() && failure.get_string().get(reason))
            refuse("\"failure\" is no text");
        if (!failure.is_null()) figures.failure = std::string(reason);
    }
    return run;
}

// The member `name` of `object` when it is there and of the kind `is` checks; nothing otherwise.
// The fields of a run's quality are extras a reader can do without, so one of the wrong kind is
// passed over rather than refusing the report.
template <typename Check>
std::optional<Element> optionalMember(Element object, const char* name, Check is) {
    simdjson::dom::object fields;
    Element value;
    if (object.get_object().get(fields) || fields.at_key(name).get(value) || !is(value))
        return std::nullopt;
    return value;
}

const auto kIsArray = [](Element value) { return value.is_array(); };
const auto kIsString = [](Element value) { return value.is_string(); };
const auto kIsBoolean = [](Element value) { return value.is_bool(); };
const auto kIsUnsigned = [](Element value) { return value.is_uint64(); };

std::uint64_t unsignedOf(Element value) {
    std::uint64_t number = 0;
    return value.get_uint64().get(number) ? 0 : number;
}

std::string textOf(Element value) {
    std::string_view text;
    return value.get_string().get(text) ? std::string() : std::string(text);
}

bool flagOf(Element value) {
    bool flag = false;
    return !value.get_bool().get(flag) && flag;
}

// The entries of `value`, which was checked to be a list.
simdjson::dom::array arrayOf(Element value) {
    simdjson::dom::array list;
    if (value.get_array().get(list)) return {};
    return list;
}

// The rounds the run itself called disturbed.
std::vector<std::uint64_t> disturbedRounds(Element document) {
    std::vector<std::uint64_t> rounds;
    if (const auto list = optionalMember(document, "rounds", kIsArray))
        for (const Element round : arrayOf(*list)) {
            const auto number = optionalMember(round, "round", kIsUnsigned);
            const auto disturbed = optionalMember(round, "disturbed", kIsBoolean);
            if (number && disturbed && flagOf(*disturbed)) rounds.push_back(unsignedOf(*number));
        }
    return rounds;
}

// Bit j: the stored call j was disturbed, or ran in a disturbed round.
std::uint16_t disturbedCalls(Element test, const std::vector<std::uint64_t>& rounds) {
    std::uint16_t calls = 0;
    const auto list = optionalMember(test, "calls", kIsArray);
    if (!list) return calls;
    std::size_t column = 0;
    for (const Element call : arrayOf(*list)) {
        if (column >= std::size_t{kRunsPerTest}) break;
        bool disturbed = false;
        if (const auto flag = optionalMember(call, "disturbed", kIsBoolean))
            disturbed = flagOf(*flag);
        if (const auto round = optionalMember(call, "round", kIsUnsigned))
            disturbed = disturbed ||
                        std::find(rounds.begin(), rounds.end(), unsignedOf(*round)) != rounds.end();
        if (disturbed) calls |= static_cast<std::uint16_t>(1U << column);
        ++column;
    }
    return calls;
}

RecordQuality readQuality(Element document) {
    RecordQuality quality;
    if (const auto host = optionalMember(document, "host", kIsString)) quality.host = textOf(*host);
    if (const auto brand = optionalMember(member(document, "machine"), "processor", kIsString))
        quality.processor = textOf(*brand);
    if (const auto order = optionalMember(document, "order", kIsString))
        if (const std::string text = textOf(*order); text == "rounds" || text == "in-order")
            quality.order = text;
    if (const auto seed = optionalMember(document, "seed", kIsUnsigned))
        quality.seed = unsignedOf(*seed);
    const std::vector<std::uint64_t> rounds = disturbedRounds(document);
    std::size_t test = 0;
    for (const Element entry : arrayOf(member(document, "tests")))
        if (test < quality.disturbedCalls.size())
            quality.disturbedCalls[test++] = disturbedCalls(entry, rounds);
    const auto report =
        optionalMember(document, "quality", [](Element value) { return value.is_object(); });
    if (!report) return quality;
    if (const auto spreads = optionalMember(*report, "tests", kIsArray)) {
        std::size_t index = 0;
        for (const Element entry : arrayOf(*spreads)) {
            if (index >= quality.spreads.size()) break;
            double value = 0;
            if (const auto spread =
                    optionalMember(entry, "spread", [](Element v) { return v.is_number(); });
                spread && !spread->get_double().get(value) && std::isfinite(value) && value >= 0)
                quality.spreads[index] = value;
            ++index;
        }
    }
    if (const auto unsteady = optionalMember(*report, "unsteady_tests", kIsArray))
        for (const Element entry : arrayOf(*unsteady)) {
            std::uint64_t test = 0;
            if (!entry.get_uint64().get(test) && test < quality.unsteady.size())
                quality.unsteady[test] = true;
        }
    return quality;
}

RunReport readReport(Element document, std::span<const TestName> tests) {
    const Element schema = member(document, "schema");
    std::uint64_t version = 0;
    if (schema.get_uint64().get(version) || version < 1 || version > 2)
        refuse("schema " +
               (schema.is_number() ? simdjson::minify(schema) : std::string("of the wrong kind")) +
               " is not 1 or 2");
    RunReport report{emptyRecord(), std::nullopt};
    const Element machine = member(document, "machine");
    setDescriptionText(report.record.Cpu, text(machine, "cpu"));
    setDescriptionText(report.record.Fsb, text(machine, "fsb"));
    setDescriptionText(report.record.Memory, text(machine, "memory"));
    setDescriptionText(report.record.Os, text(machine, "os"));
    int test = 0;
    const simdjson::dom::array entries = atLeast(member(document, "tests"), "tests", kTestCount);
    for (const Element entry : entries)
        if (test < kTestCount) readTest(entry, test++, tests, report.record.Results);
    if (has(document, "cores")) report.cores = readCores(member(document, "cores"));
    if (has(document, "kernel_code")) report.kernelCode = text(document, "kernel_code");
    // The report's lines as printed: a heading and a line per test for the spreads, then what
    // disturbed the run and the warning with its causes, which are what the page shows.
    simdjson::dom::array lines;
    if (has(document, "quality") && has(member(document, "quality"), "lines") &&
        !member(member(document, "quality"), "lines").get_array().get(lines)) {
        std::size_t line = 0;
        for (const Element entry : lines) {
            std::string_view warning;
            if (line++ >= 1 + entries.size() && !entry.get_string().get(warning))
                report.warnings.emplace_back(warning);
        }
    }
    report.quality = readQuality(document);
    return report;
}

// The report `text` holds, parsed with `parser` (which keeps its memory for the next report).
// `padded`: `text` is followed by simdjson's padding, so it is parsed where it lies, not copied.
std::optional<RunReport> parseWith(simdjson::dom::parser& parser, std::string_view text,
                                   std::span<const TestName> tests, std::string& why,
                                   bool padded = false) {
    Element document;
    const simdjson::error_code error =
        parser.parse(text.data(), text.size(), !padded).get(document);
    if (error == simdjson::MEMALLOC) throw std::bad_alloc();
    if (error) {
        why = "not JSON, or cut short";
        return std::nullopt;
    }
    try {
        return readReport(document, tests);
    } catch (const NotAReport& refusal) {
        why = refusal.why;
    }
    return std::nullopt;
}

// The whole file, at most kRunReportLimit bytes; nothing with the note's kind and reason when it
// cannot be used.
// A report's bytes, read into a buffer with the padding simdjson reads past their end.
struct ReportBytes {
    simdjson::padded_string buffer;
    std::size_t length = 0;
    std::string_view text() const { return {buffer.data(), length}; }
};

std::optional<ReportBytes> readReportFile(const platform::HeldFolder& folder,
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
    ReportBytes contents{simdjson::padded_string(static_cast<std::size_t>(file.size())), 0};
    std::size_t& filled = contents.length;
    while (filled < contents.buffer.size()) {
        const std::ptrdiff_t got =
            file.read({reinterpret_cast<std::uint8_t*>(contents.buffer.data()) + filled,
                       contents.buffer.size() - filled});
        if (got < 0) {
            note.kind = ResultFileNote::Kind::Unreadable;
            note.reason = platform::lastSystemError();
            return std::nullopt;
        }
        if (got == 0) break;  // the file shrank since it was opened
        filled += static_cast<std::size_t>(got);
    }
    return contents;
}

// A file's folder and name without its ending: the same for a report and its result file.
std::string stemOf(const std::filesystem::path& file) {
    return (file.parent_path() / file.stem()).native();
}

// The result files among `files` by stemOf, the first of each stem kept: looked up once per
// report, so a folder of many reports beside many result files is read in linear time.
std::unordered_map<std::string, std::size_t> resultFilesByStem(
    const std::vector<ResultFileRecords>& files) {
    std::unordered_map<std::string, std::size_t> byStem;
    for (std::size_t index = 0; index < files.size(); ++index)
        if (isResultFileName(files[index].file.filename().string()))
            byStem.emplace(stemOf(files[index].file), index);
    return byStem;
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
    simdjson::dom::parser parser;
    return parseWith(parser, text, tests, why);
}

std::optional<RunReport> readRunReport(const std::filesystem::path& file,
                                       std::span<const TestName> tests, std::string& why) {
    const platform::HeldFolder held(file.has_parent_path() ? file.parent_path() : ".");
    if (held.openError()) {
        why = held.openError().message();
        return std::nullopt;
    }
    ResultFileNote note{file.filename().string(), ResultFileNote::Kind::NotARunReport, {}};
    if (const std::optional<ReportBytes> contents =
            readReportFile(held, note.name.string(), note)) {
        simdjson::dom::parser parser;
        return parseWith(parser, contents->text(), tests, why, true);
    }
    why = note.reason                                        ? note.reason.message()
          : note.kind == ResultFileNote::Kind::NotARunReport ? note.detail
                                                             : "not a regular file";
    return std::nullopt;
}

std::error_code loadRunReports(const std::filesystem::path& folder, std::deque<TCpuRecord>& records,
                               std::vector<ResultFileNote>& notes,
                               std::vector<ResultFileRecords>& files,
                               std::span<const TestName> tests, std::size_t recordBudget) {
    platform::HeldFolder held(folder);
    if (held.openError()) return held.openError();
    std::optional<std::size_t> overBudget;  // the note counting the reports left out
    simdjson::dom::parser parser;
    const std::unordered_map<std::string, std::size_t> resultFiles = resultFilesByStem(files);
    for (std::string name; held.nextName(name);) {
        if (!isRunReportName(name)) continue;
        const std::filesystem::path path = (folder / name).lexically_normal();
        ResultFileNote note{name, ResultFileNote::Kind::NotARunReport, {}};
        try {
            std::optional<RunReport> report;
            if (const std::optional<ReportBytes> contents = readReportFile(held, name, note))
                report = parseWith(parser, contents->text(), tests, note.detail, true);
            if (!report) {
                notes.push_back(std::move(note));
                continue;
            }
            if (const auto found = resultFiles.find(stemOf(path)); found != resultFiles.end()) {
                ResultFileRecords& beside = files[found->second];
                if (!joinResultFile(*report, beside, records))
                    notes.push_back({name,
                                     ResultFileNote::Kind::UnlikeItsResultFile,
                                     {},
                                     0,
                                     0,
                                     0,
                                     beside.file.filename().string()});
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
    return held.readError();
}
