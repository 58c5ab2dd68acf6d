// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/consoleOptionsUnit.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

#include "console/standardOutputUnit.h"
#include "console/versionUnit.h"
#include "platform/codePage.h"
#include "platform/workerProcesses.h"

namespace {

constexpr int kMostRepeats = 100;
constexpr int kLongestInterval = 3600;

// The usage lines an option is shown on.
enum UsageForm : unsigned { kRunForm = 1u, kCompareForm = 2u };

// One option of the command line: everything --help says of it, and what it does. An option is
// added here and nowhere else; --help's usage lines and option lines are made from this table.
struct ConsoleOption {
    std::string_view name;
    std::string_view argument;  // "FILE", "DIR", "TEXT"; empty for a switch
    bool emptyAllowed;          // an empty value is a value, not a mistake
    unsigned forms;
    bool repeatable;
    std::string_view help;  // its lines in --help, '\n' between them
    // Takes the option's value (empty for a switch) and returns the reason it is refused, or "".
    // A value that is missing, or empty where that is not allowed, never reaches it.
    std::string (*apply)(ConsoleOptions&, const std::string&);
    // For --help and --version: prints and ends the parse with status 0.
    void (*show)(std::ostream&);
};

// The end of a refusal: the value given, as the terminal can show it.
std::string refusedValue(const std::string& value) {
    return ", not '" + platform::printableText(value) + "'";
}

// --cores N|all: N from 1 to the processors this process may use, or all of them.
std::string chooseCores(ConsoleOptions& options, const std::string& count) {
    const int usable = static_cast<int>(platform::usableProcessors().size());
    int cores = 0;
    if (count == "all") {
        cores = usable;
    } else {
        const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), cores);
        if (error != std::errc() || end != count.data() + count.size()) cores = 0;
    }
    if (cores < 1 || cores > usable)
        return "--cores takes 'all' or a number from 1 to " + std::to_string(usable) +
               " (the logical processors this machine lets it use)" + refusedValue(count);
    options.cores = cores;
    return "";
}

template <std::size_t field>
std::string describe(ConsoleOptions& options, const std::string& text) {
    options.descriptions[field] = text;
    return "";
}

const ConsoleOption kOptions[] = {
    {"--normal-priority", "", false, kRunForm, false,
     "do not raise the process and thread priority during the run",
     [](ConsoleOptions& options, const std::string&) {
         options.sequence.raisePriority = false;
         return std::string();
     },
     nullptr},
    {"--no-pause", "", false, kRunForm, false,
     "do not pause 5 seconds after each test (in rounds: after each round)",
     [](ConsoleOptions& options, const std::string&) {
         options.sequence.pauseAfterEachTest = false;
         return std::string();
     },
     nullptr},
    {"--cores", "N", false, kRunForm, false,
     "after the run, time each test again in N processes at once, one per\n"
     "logical processor ('all': every one), and print each test's figure\n"
     "for the whole machine and its scaling (default 1: no such times)",
     chooseCores, nullptr},
    {"--runs-as-they-come", "", false, kRunForm, false,
     "keep each test's ten consecutive calls (in rounds: those of the ten\n"
     "rounds), disturbed or not (by default a call that waited for a\n"
     "processor or moved to another is replaced by a further call, up to\n"
     "20 per test; in rounds a slow round by a further round, up to 10)",
     [](ConsoleOptions& options, const std::string&) {
         options.sequence.replaceDisturbedCalls = false;
         return std::string();
     },
     nullptr},
    {"--ignore-lock", "", false, kRunForm, false,
     "start the run even while another user's run holds the machine's\n"
     "lock, with a warning naming that user (root always does); the\n"
     "runs of one user never overlap",
     [](ConsoleOptions& options, const std::string&) {
         options.ignoreLock = true;
         return std::string();
     },
     nullptr},
    {"--order", "rounds|in-order", false, kRunForm, false,
     "rounds (the default): ten rounds, each calling every test once in an\n"
     "order of its own (an encode always right before the decode of its\n"
     "width), so a slow phase of the host costs each test one call, and a\n"
     "round whose tests all ran more than 5 % slower than their best is\n"
     "replaced by a further one (up to 10); in-order: each test makes its\n"
     "calls one after another, test after test, as the windows do",
     [](ConsoleOptions& options, const std::string& order) {
         if (order != "rounds" && order != "in-order")
             return std::string("--order needs rounds or in-order");
         options.sequence.order = order == "rounds" ? TestOrder::Rounds : TestOrder::InOrder;
         return std::string();
     },
     nullptr},
    {"--seed", "N", false, kRunForm, false,
     "the order of the rounds from seed N (0 to 4294967295), as printed by\n"
     "an earlier run, to repeat it (by default a new seed each run)",
     [](ConsoleOptions& options, const std::string& text) {
         std::uint32_t seed = 0;
         const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
         if (error != std::errc() || end != text.data() + text.size())
             return std::string("--seed needs a whole number from 0 to 4294967295");
         options.sequence.seed = seed;
         return std::string();
     },
     nullptr},
    {"--repeat", "N", false, kRunForm, false,
     "run the whole sequence N times (1 to 100; default 1); the quality\n"
     "report and the JSON give each test's run-to-run spread of the best,\n"
     "and --save stores the N records one after another",
     [](ConsoleOptions& options, const std::string& count) {
         int runs = 0;
         const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), runs);
         if (error != std::errc() || end != count.data() + count.size() || runs < 1 ||
             runs > kMostRepeats)
             return "--repeat needs a whole number from 1 to 100" + refusedValue(count);
         options.repeat = runs;
         return std::string();
     },
     nullptr},
    {"--interval", "SECONDS", false, kRunForm, false,
     "with --repeat, wait SECONDS (1 to 3600) between two runs, so that\n"
     "the runs sample the host over minutes rather than one moment",
     [](ConsoleOptions& options, const std::string& text) {
         int seconds = 0;
         const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
         if (error != std::errc() || end != text.data() + text.size() || seconds < 1 ||
             seconds > kLongestInterval)
             return std::string("--interval needs a whole number of seconds from 1 to 3600");
         options.intervalSeconds = seconds;
         return std::string();
     },
     nullptr},
    {"--no-history", "", false, kRunForm, false,
     "neither measure the run against this machine's earlier runs nor keep\n"
     "it among them (by default the last 20 runs' JSON reports are kept in\n"
     "$XDG_STATE_HOME/korvex2/history, and a run more than 5 % slower\n"
     "than the best of them with the same kernel code and processor is\n"
     "named in the quality report)",
     [](ConsoleOptions& options, const std::string&) {
         options.keepHistory = false;
         return std::string();
     },
     nullptr},
    {"--save", "FILE", false, kRunForm, false,
     "after the run, save the results with the machine's description as\n"
     "the result file FILE (replaced if it exists; checked before the run\n"
     "starts, as every output file is)",
     [](ConsoleOptions& options, const std::string& file) {
         // A result file is binary: it would land among the run's lines.
         if (file == "-") return std::string("--save writes a binary result file; name a file");
         options.saveFile = file;
         return std::string();
     },
     nullptr},
    {"--json", "FILE", false, kRunForm | kCompareForm, false,
     "write the run (with --compare: the compared results) as JSON to\n"
     "FILE, as --save writes its file; with '-' the JSON goes to standard\n"
     "output and the result lines to standard error",
     [](ConsoleOptions& options, const std::string& file) {
         options.jsonFile = file;
         return std::string();
     },
     nullptr},
    {"--csv", "FILE", false, kRunForm | kCompareForm, false,
     "the same as CSV, one row per machine and test",
     [](ConsoleOptions& options, const std::string& file) {
         options.csvFile = file;
         return std::string();
     },
     nullptr},
    {"--html", "FILE", false, kRunForm | kCompareForm, false,
     "the same as one HTML page to read in a browser: each machine's\n"
     "index, every test's bars, the descriptions; no script, nothing\n"
     "loaded from elsewhere (at most 1,000 machines, the fastest)",
     [](ConsoleOptions& options, const std::string& file) {
         options.htmlFile = file;
         return std::string();
     },
     nullptr},
    {"--compare", "", false, 0, false, "run nothing: only compare the result files",
     [](ConsoleOptions& options, const std::string&) {
         options.compareOnly = true;
         return std::string();
     },
     nullptr},
    {"--cpus", "DIR", false, kRunForm | kCompareForm, true,
     "compare the result files *.dat and the run reports *.json of DIR\n"
     "instead of ./cpus (repeatable; DIR must be an existing folder)",
     [](ConsoleOptions& options, const std::string& folder) {
         options.resultFolders.push_back(folder);
         return std::string();
     },
     nullptr},
    {"--cpu", "TEXT", true, kRunForm, false,
     "processor (for --save, --json, --csv and --html; each text is cut\n"
     "to 128 characters; a line not given is read from the machine)",
     describe<0>, nullptr},
    {"--fsb", "TEXT", true, kRunForm, false, "front-side-bus frequency", describe<1>, nullptr},
    {"--memory", "TEXT", true, kRunForm, false, "memory size", describe<2>, nullptr},
    {"--os", "TEXT", true, kRunForm, false, "operating system", describe<3>, nullptr},
    {"--unit", "ms|cycles", false, kRunForm | kCompareForm, false,
     "compare in cycles (the default) or ms (milliseconds)",
     [](ConsoleOptions& options, const std::string& unit) {
         if (unit != "ms" && unit != "cycles")
             return "--unit needs ms or cycles" + refusedValue(unit);
         options.comparisonUnit = unit == "ms" ? BenchUnit::Milliseconds : BenchUnit::Cycles;
         return std::string();
     },
     nullptr},
    {"--baseline", "FILE", false, kRunForm | kCompareForm, false,
     "compare with the first real record of the result file FILE (none\n"
     "in a hole, none all zero), or with the run of the run report FILE\n"
     "(*.json) (by default with the run, or with --compare with the\n"
     "first result file read)",
     [](ConsoleOptions& options, const std::string& file) {
         options.baselineFile = file;
         return std::string();
     },
     nullptr},
    {"--version", "", false, 0, false, "show the version", nullptr,
     [](std::ostream& out) { out << versionLine("korvex2-console") << "\n"; }},
    {"--help", "", false, 0, false, "show this help", nullptr,
     [](std::ostream& out) { out << consoleUsage(); }},
};

// The description options in the order of ConsoleOptions::descriptions.
constexpr const char* kDescriptionOptions[4] = {"--cpu", "--fsb", "--memory", "--os"};

constexpr std::size_t kUsageWidth = 90;
constexpr std::size_t kHelpColumn = 21;

int usageError(std::ostream& err, const std::string& message) {
    err << kConsoleMessagePrefix << message << "\n"
        << "Try 'korvex2-console --help' for more information.\n";
    return 2;
}

// One usage line: `lead`, then every option shown on `form`, wrapped under the first option.
std::string usageForm(const std::string& lead, unsigned form) {
    const std::size_t indent = lead.find("korvex2-console") + 16;
    std::string text = lead;
    std::size_t lineStart = 0;
    for (const ConsoleOption& option : kOptions) {
        if (!(option.forms & form)) continue;
        std::string word = "[" + std::string(option.name);
        if (!option.argument.empty()) word += " " + std::string(option.argument);
        word += option.repeatable ? "]..." : "]";
        if (text.size() - lineStart + 1 + word.size() > kUsageWidth) {
            text += "\n";
            lineStart = text.size();
            text += std::string(indent - 1, ' ');
        }
        text += " " + word;
    }
    return text + "\n";
}

std::string optionLines(const ConsoleOption& option) {
    std::string heading = "  " + std::string(option.name);
    if (!option.argument.empty()) heading += " " + std::string(option.argument);
    heading +=
        std::string(kHelpColumn > heading.size() + 2 ? kHelpColumn - heading.size() : 2, ' ');
    std::string text = heading;
    for (const char c : option.help)
        text += c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, c);
    return text + "\n";
}

}  // namespace

std::string consoleUsage() {
    std::string usage = usageForm("Usage: korvex2-console", kRunForm) +
                        usageForm("       korvex2-console --compare", kCompareForm) +
                        "       korvex2-console --version | --help\n"
                        "Runs the Korvex 2 processor benchmark once (about 55 s, 10 s with "
                        "--no-pause), prints its\n"
                        "result lines, then compares the results test by test, in millions of "
                        "cycles, with the\n"
                        "result files cpus/*.dat of the current directory. Lower figures are "
                        "better; an index\n"
                        "per machine (reference 100) and a ratio per test come first, '≈' "
                        "marking a difference\n"
                        "within noise.\n"
                        "\n";
    for (const ConsoleOption& option : kOptions) usage += optionLines(option);
    return usage;
}

int parseConsoleOptions(int argc, char** argv, ConsoleOptions& options, std::ostream& out,
                        std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        // --name=value is --name value, for every option that takes a value.
        const std::size_t equals =
            argument.rfind("--", 0) == 0 ? argument.find('=') : argument.npos;
        const std::string name = argument.substr(0, equals);
        const auto* option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                          [&](const ConsoleOption& o) { return o.name == name; });
        if (option == std::end(kOptions)) return usageError(err, "unknown option '" + name + "'");
        std::optional<std::string> value;
        if (option->argument.empty()) {
            if (equals != argument.npos) return usageError(err, name + " takes no value");
            value = "";
        } else if (equals != argument.npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
            // "--json --csv" forgot the file: the next option is no file name.
            const std::string next = value->substr(0, value->find('='));
            const bool isOption =
                std::any_of(std::begin(kOptions), std::end(kOptions),
                            [&](const ConsoleOption& o) { return o.name == next; });
            if (isOption && (option->argument == "FILE" || option->argument == "DIR"))
                return usageError(err, name + " needs " + std::string(option->argument) +
                                           ", not the option " + next);
        }
        if (!value || (value->empty() && !option->argument.empty() && !option->emptyAllowed))
            return usageError(err, name + " needs " + std::string(option->argument));
        if (option->show) {
            option->show(out);
            return 0;
        }
        if (const std::string refused = option->apply(options, *value); !refused.empty())
            return usageError(err, refused);
    }
    const bool describesRun =
        options.saveFile || options.jsonFile || options.csvFile || options.htmlFile;
    for (std::size_t field = 0; field < 4; ++field) {
        const std::string option = kDescriptionOptions[field];
        if (options.descriptions[field] && options.compareOnly)
            return usageError(err, option + " describes a run, and --compare runs nothing");
        if (options.descriptions[field] && !describesRun)
            return usageError(err, option + " needs --save, --json, --csv or --html");
    }
    if (options.sequence.seed && options.sequence.order != TestOrder::Rounds)
        return usageError(err, "--seed orders the rounds, and --order in-order runs none");
    if (options.intervalSeconds > 0 && options.repeat < 2)
        return usageError(err, "--interval spaces the runs of --repeat, and there is one run");
    if (options.compareOnly && options.repeat > 1)
        return usageError(err, "--repeat repeats a run, and --compare runs nothing");
    if (options.compareOnly && options.cores > 1)
        return usageError(err, "--cores times a run, and --compare runs nothing");
    if (options.compareOnly && options.saveFile)
        return usageError(err, "--save saves a run, and --compare runs nothing");
    if (options.jsonToStandardOutput() + options.csvToStandardOutput() +
            options.htmlToStandardOutput() >
        1)
        return usageError(err, "only one of --json, --csv and --html can write to standard output");
    return -1;
}
