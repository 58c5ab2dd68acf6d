// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "renderers/htmlReportUnit.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <optional>

#include "platform/codePage.h"
#include "renderers/comparisonTextUnit.h"
#include "renderers/runJsonUnit.h"

namespace {

// The page's look. Bars are SVG rectangles whose widths are fractions of their cell, so a chart
// fits any screen; their sizes are attributes, which every browser reads (a rectangle's size in
// CSS is newer). The colours are the comparison window's.
constexpr const char* kStyle = R"(
body{font:15px/1.4 "DejaVu Sans",Arial,sans-serif;margin:0;color:#111;background:#fff}
main{max-width:1100px;margin:0 auto;padding:12px}
h1{font-size:1.5em;margin:.2em 0}h2{font-size:1.2em;margin:1.4em 0 .2em}
.en{color:#555;margin:0 0 .6em}.note{color:#555;font-size:.9em;margin:.2em 0 .5em}
.left{color:#a00;font-weight:bold}
table{border-collapse:collapse;width:100%;table-layout:fixed}
td,th{padding:1px 4px;vertical-align:middle;overflow-wrap:anywhere;text-align:right}
td:first-child,th:first-child,.i td:nth-child(2),.i th:nth-child(2),.m td,.m th{text-align:left}
th{font-size:.85em;color:#444;border-bottom:1px solid #ccc}
.c th:nth-child(1){width:27%}.c th:nth-child(2),.c th:nth-child(3){width:10%}
.c th:nth-child(4){width:17%}
.i th:nth-child(1){width:24%}.i th:nth-child(2){width:20%}.i th:nth-child(3){width:9%}
.i th:nth-child(4),.i th:nth-child(5),.i th:nth-child(6){width:7%}
.s{color:#b00000;font-weight:bold}.q{color:#006000;font-weight:bold}.u{color:#a00;font-size:.85em}
tr:nth-child(even){background:#f6f6f6}
tr.r td:first-child{font-weight:bold}
tr.t th{text-align:left;font-size:1em;color:#111;padding-top:.7em}
svg{display:block;width:100%;height:14px}
rect{fill:#e8ff80}.b{fill:#008000}.o rect{fill:#80ffe8}.o .b{fill:#800000}
.x{fill:#4060c0}
.f{fill:#f00;font-size:12px}
.w{overflow-x:auto}.w table{min-width:760px}
.scroll{display:none;color:#555;font-size:.9em;margin:.2em 0}
.w td{font-size:.85em;vertical-align:top}
.m th:nth-child(1){width:14%}.m th:nth-child(2){width:18%}.m th:nth-child(3),
.m th:nth-child(4){width:8%}.m th:nth-child(5){width:14%}.m th:nth-child(6){width:26%}
summary{cursor:pointer;color:#a00}
.m td:nth-child(7){font-family:monospace}
ul{margin:0;padding-left:1.1em}
@media (max-width:784px){.scroll{display:block}}
@media (max-width:600px){body{font-size:13px}main{padding:6px}td,th{padding:1px 2px}
.c th:nth-child(1){width:27%}.c th:nth-child(2),.c th:nth-child(3){width:15%}
.c th:nth-child(4){width:19%}
.i td:nth-child(2),.i th:nth-child(2),
.i td:nth-child(4),.i th:nth-child(4){display:none}.i th:nth-child(1){width:40%}
.i th:nth-child(3){width:17%}.i th:nth-child(5),.i th:nth-child(6){width:10%}}
)";

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A bar of `value` in a chart whose longest bar stands for `scale`, as a share of its cell
// ("63.2%"), measured as the comparison window measures its bars.
std::string barShare(std::uint32_t value, std::uint32_t scale) {
    const int perMille = barLength(1000, value, std::max<std::uint32_t>(scale, 1));
    return std::to_string(perMille / 10) + '.' + std::to_string(perMille % 10) + '%';
}

// A chart cell: the light bar, the dark bar over it, and "Тест не пройден" over both when the
// test failed (the window writes it so too).
std::string svgBars(const std::string& light, const std::string& dark, bool failed) {
    std::string svg = "<svg>";
    if (!light.empty()) svg += "<rect height=100% width=" + light + " />";
    if (!dark.empty()) svg += "<rect class=b height=100% width=" + dark + " />";
    if (failed) svg += std::string("<text class=f x=\"2\" y=\"12\">") + kTestFailedText + "</text>";
    return svg + "</svg>";
}

const char* unitText(BenchUnit unit) {
    return unit == BenchUnit::Cycles ? "Количество тактов процессора (миллионы)"
                                     : "Количество миллисекунд";
}

// The row's class: "r" the reference, "o" the running machine's colours.
std::string rowStart(const HtmlMachine& machine) {
    std::string classes;
    if (machine.reference) classes += "r";
    if (machine.ownSystem) classes += classes.empty() ? "o" : " o";
    return classes.empty() ? "<tr><td>" : "<tr class=\"" + classes + "\"><td>";
}

// The cell of the machine's decision on `test`, marked by its class where the difference is real.
std::string decisionCell(const HtmlMachine& machine, int test) {
    if ((machine.comparison == nullptr ||
         static_cast<std::size_t>(test) >= machine.comparison->tests.size()) &&
        !machine.reference)
        return {};
    const TestComparison& compared =
        machine.comparison != nullptr &&
                static_cast<std::size_t>(test) < machine.comparison->tests.size()
            ? machine.comparison->tests[static_cast<std::size_t>(test)]
            : TestComparison{};
    const std::string text = htmlText(decisionText(compared, machine.reference));
    if (machine.reference || compared.verdict != Verdict::Real) return text;
    return std::string("<span class=") + (compared.faster ? "q" : "s") + ">" + text + "</span>";
}

// The machine's name, "(эталон)" after the reference's when `sayReference`, and the mark of its
// run, as element content.
std::string nameCell(const HtmlMachine& machine, bool sayReference = false) {
    const std::string mark = runMarkText(machine.quality, machine.comparison);
    return htmlText(machine.name) + (sayReference && machine.reference ? " (эталон)" : "") +
           (mark.empty() ? "" : " <span class=u>(" + htmlText(mark) + ")</span>");
}

// The browser lays out only the sections on screen, the others as they are scrolled to; until
// then each takes the height of its rows as estimated here, so the scroll bar hardly moves. A
// thousand machines' charts would take it a second or more to lay out at once.
std::string deferredSections(std::size_t rows) {
    const auto height = [&](std::size_t rowHeight) {
        return std::to_string(80 + rowHeight * (rows + 1)) + "px}";
    };
    return "section.test,#cores,#machines{content-visibility:auto}"
           "section.test{contain-intrinsic-size:auto " +
           height(23) + "#machines{contain-intrinsic-size:auto " + height(40) + "\n";
}

void writeHead(std::ostream& out, const HtmlReport& report, std::size_t rows) {
    const std::string title =
        htmlText(report.program) +
        (report.comparison ? ": сравнение результатов" : ": результаты теста");
    out << "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">\n"
        << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "style-src 'unsafe-inline'\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">\n"
        << "<title>" << title << "</title><style>" << kStyle << deferredSections(rows)
        << "</style></head>\n<body><main>\n"
        << "<h1>" << title << "</h1>\n"
        << "<p class=\"en\" lang=\"en\">" << htmlText(report.program)
        << (report.comparison ? " processor benchmark: stored results compared"
                              : " processor benchmark: one run compared with stored results")
        << ", machine by machine and test by test (lower figures are faster). A self-contained "
           "page: no script, nothing loaded from anywhere.</p>\n"
        << "<p class=\"note\">Версия " << htmlText(report.version) << ", машина "
        << htmlText(report.host) << ", " << isoUtcTime(report.made) << ". " << unitText(report.unit)
        << "; меньше — быстрее.</p>\n";
    out << "<p class=\"note\">В каждом тесте тёмная полоса — лучший из десяти вызовов, светлая — "
           "их среднее. «К эталону» — лучший результат машины, делённый на лучший результат "
           "эталона: меньше — быстрее. Разница реальна («быстрее», «медленнее»), когда весь "
           "доверительный интервал отношения (Ходжес — Леман по чистым вызовам, 99,5 % на каждый "
           "из десяти тестов, так что ложная тревога во всём сравнении не чаще 5 %) лежит за "
           "порогом разброса между запусками (не меньше 5 %); «≈» — весь интервал в пределах "
           "порога; «?» — не понять: интервал задевает порог, чистых вызовов меньше шести, "
           "запуск был неустойчив или медленнее лучшего запуска той же машины.</p>\n";
}

void writeSummary(std::ostream& out, const std::vector<HtmlMachine>& machines,
                  const std::vector<std::size_t>& shown) {
    std::vector<std::size_t> order = shown;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto index = [&](std::size_t m) {
            const MachineComparison* comparison = machines[m].comparison;
            return comparison && comparison->index ? *comparison->index : -1.0;
        };
        return index(a) > index(b);
    });
    double top = 1;
    for (const std::size_t m : order)
        if (machines[m].comparison && machines[m].comparison->index)
            top = std::max(top, *machines[m].comparison->index);
    out << "<section id=\"summary\"><h2>Индекс</h2>\n<p class=\"note\">Среднее геометрическое "
           "отношений лучших результатов по тестам: эталон — 100, больше — быстрее.</p>\n"
        << "<table class=\"i\"><tr><th>Машина<th>Процессор<th>Индекс"
           "<th>Тестов<th>Реальных<th>Неясных<th>\n";
    for (const std::size_t m : order) {
        const HtmlMachine& machine = machines[m];
        const MachineComparison* comparison = machine.comparison;
        const bool indexed = comparison && comparison->index;
        out << rowStart(machine) << nameCell(machine, true) << "<td>"
            << htmlText(cutToCharacters(platform::printableText(machine.description.processor),
                                        kTextColumnLimit))
            << "<td>" << (indexed ? fixed(*comparison->index, 1) : "—") << "<td>"
            << (comparison ? comparison->testsInIndex : 0) << "<td>"
            << (machine.reference ? "—"
                : comparison      ? std::to_string(comparison->count(Verdict::Real))
                                  : "")
            << "<td>"
            << (machine.reference ? "—"
                : comparison      ? std::to_string(comparison->count(Verdict::Inconclusive))
                                  : "")
            << "<td><svg>"
            << (indexed
                    ? "<rect class=x height=100% width=" +
                          fixed(std::clamp(100 * *comparison->index / top, 0.0, 100.0), 1) + "% />"
                    : "")
            << "</svg>\n";
    }
    out << "</table></section>\n";
}

// One test's chart: a row per machine in the comparison window's order (ascending best, failed
// first), the best's dark bar over the average's light one, scaled by the largest average; for
// a test the run's processor cannot run, the note that says so.
void writeTest(std::ostream& out, const HtmlReport& report, const std::vector<std::size_t>& shown,
               int test) {
    const HtmlTest& name = report.tests[static_cast<std::size_t>(test)];
    const auto heading = [&] {
        out << "<section class=\"test\" id=\"" << htmlText(name.id) << "\"><h2>"
            << htmlText(name.caption) << "</h2>\n<p class=\"note\">Тест " << testNumber(test)
            << ": " << htmlText(name.label.substr(0, name.label.find_last_not_of(':') + 1))
            << "</p>\n";
    };
    if (!name.supported) {
        heading();
        out << "<p class=\"note\">" << kTestNotSupportedText << "</p></section>\n";
        return;
    }
    std::vector<std::size_t> machines;  // those of `shown` that hold the test
    std::vector<TViborka> summaries;
    for (const std::size_t m : shown) {
        const std::span<const ResultRow> results = report.machines[m].results;
        if (test >= testsIn(results)) continue;  // a record holds the result file's tests alone
        machines.push_back(m);
        summaries.push_back(summariseRuns(cycleRow(results, test), millisecondRow(results, test)));
    }
    if (summaries.empty()) return;
    const ComparisonOrder order = comparisonOrder(summaries, report.unit);
    heading();
    out << "<table class=\"c\"><tr><th>Машина<th>Лучший<th>Среднее"
           "<th>К эталону (меньше — быстрее)<th>\n";
    for (const std::size_t place : order.places) {
        const HtmlMachine& machine = report.machines[machines[place]];
        const std::uint32_t best = bestValue(summaries[place], report.unit);
        const std::uint32_t average = averageValue(summaries[place], report.unit);
        out << rowStart(machine) << nameCell(machine) << "<td>" << best << "<td>" << average
            << "<td>" << decisionCell(machine, test) << "<td>"
            << svgBars(average > 0 ? barShare(average, order.barScale) : "",
                       best > 0 ? barShare(best, order.barScale) : "", best == 0)
            << '\n';
    }
    out << "</table></section>\n";
}

// The runs on every core at once: per test the machine's figure (the slowest worker's time) with
// its scaling, for the machines that had such a run.
void writeCores(std::ostream& out, const HtmlReport& report,
                const std::vector<std::size_t>& shown) {
    std::vector<std::size_t> cored;
    std::copy_if(shown.begin(), shown.end(), std::back_inserter(cored),
                 [&](std::size_t m) { return report.machines[m].cores != nullptr; });
    if (cored.empty()) return;
    out << "<section id=\"cores\"><h2>Все ядра</h2>\n<p class=\"note\">Каждый тест одновременно "
           "на всех ядрах: время самого медленного процесса и ускорение по сравнению с одним "
           "ядром.</p>\n<table class=\"c\"><tr><th>Машина<th>Все ядра<th>Процессов<th>Ускорение"
           "<th>\n";
    for (int test = 0; test < static_cast<int>(report.tests.size()); ++test) {
        const auto at = static_cast<std::size_t>(test);
        const auto entryOf = [&](std::size_t m) -> const CoresTest* {
            const CoresRun& cores = *report.machines[m].cores;
            return at < cores.tests.size() ? &cores.tests[at] : nullptr;
        };
        const auto figure = [&](const CoresTest* entry) -> std::optional<std::uint32_t> {
            if (entry == nullptr) return std::nullopt;
            return report.unit == BenchUnit::Cycles ? entry->machineCycles
                                                    : entry->machineMilliseconds;
        };
        std::uint32_t scale = 1;
        for (const std::size_t m : cored) scale = std::max(scale, figure(entryOf(m)).value_or(0));
        out << "<tr class=\"t\"><th colspan=\"5\">" << htmlText(report.tests[at].caption) << '\n';
        for (const std::size_t m : cored) {
            const HtmlMachine& machine = report.machines[m];
            const CoresTest* entry = entryOf(m);
            const std::optional<std::uint32_t> value = figure(entry);
            out << rowStart(machine) << htmlText(machine.name) << "<td>"
                << (value ? std::to_string(*value) : "—") << "<td>" << machine.cores->count
                << "<td>" << (entry && entry->scaling ? "×" + fixed(*entry->scaling, 2) : "")
                << "<td>" << svgBars("", value ? barShare(*value, scale) : "", !value);
            if (entry && !entry->failure.empty()) out << htmlText(entry->failure);
            out << '\n';
        }
    }
    out << "</table></section>\n";
}

// What the machine's run report says of the run, before its warnings: the order and seed its
// calls ran in and the tests it called unsteady.
std::string runQualityText(const RecordQuality& quality) {
    std::string text;
    if (!quality.order.empty())
        text += "<p>Порядок: " + htmlText(quality.order) +
                (quality.seed ? ", зерно " + std::to_string(*quality.seed) : "") + "</p>";
    if (quality.unsteadyRun())
        text += "<p class=u>Неустойчивый запуск, тесты " + unsteadyTestNumbers(quality) + "</p>";
    return text;
}

void writeMachines(std::ostream& out, const HtmlReport& report,
                   const std::vector<std::size_t>& shown) {
    out << "<section id=\"machines\"><h2>Машины</h2>\n"
        << "<p class=\"scroll\">Таблица шире экрана: прокрутите её вбок →</p>\n"
        << "<div class=\"w\"><table class=\"m\">"
           "<tr><th>Машина<th>Процессор<th>FSB<th>Память<th>ОС<th>Предупреждения"
           "<th>Код ядер\n";
    for (const std::size_t m : shown) {
        const HtmlMachine& machine = report.machines[m];
        out << rowStart(machine) << htmlText(machine.name);
        for (std::size_t line = 0; line < machine.description.kLineCount; ++line)
            out << "<td>" << htmlText(machine.description.line(line));
        out << "<td>";
        if (machine.quality != nullptr) out << runQualityText(*machine.quality);
        // One line (a run nothing disturbed says so) is shown; more fold under their count.
        if (machine.warnings.size() == 1) out << htmlText(machine.warnings.front());
        if (machine.warnings.size() > 1) {
            out << "<details><summary>Предупреждения (" << machine.warnings.size()
                << ")</summary><ul>";
            for (const std::string& warning : machine.warnings) out << "<li>" << htmlText(warning);
            out << "</ul></details>";
        }
        out << "<td>" << htmlText(machine.kernelCode) << '\n';
    }
    out << "</table></div></section>\n";
}

// In place of the tables, which would all be empty: where the page looked and how machines get
// there.
void writeNothingToCompare(std::ostream& out, const std::vector<std::string>& folders) {
    out << "<p>Нет результатов для сравнения";
    if (!folders.empty()) {
        out << (folders.size() == 1 ? " в папке " : " в папках ");
        for (std::size_t folder = 0; folder < folders.size(); ++folder)
            out << (folder > 0 ? ", " : "") << "<code>" << htmlText(folders[folder]) << "</code>";
    }
    out << ".</p>\n<p>Чтобы добавить машины, запустите тест на каждой и сохраните его результаты "
           "(<code>korvex2-console --save имя.dat</code>, или «Ок» в окне «Заполнение "
           "информации»), положите файлы <code>*.dat</code> (или отчёты <code>--json</code>) в эту "
           "папку и постройте страницу снова.</p>\n";
}

}  // namespace

std::string decisionText(const TestComparison& test, bool reference) {
    if (reference) return "эталон";
    if (!test.ratio) return {};
    const std::string ratio = fixed(*test.ratio, 3);
    switch (test.verdict) {
        case Verdict::Real:
            return ratio + (test.faster ? ", быстрее" : ", медленнее");
        case Verdict::Within:
            return "≈" + ratio;
        case Verdict::Inconclusive:
            return "?" + ratio + " неясно";
        case Verdict::NotCompared:
            break;
    }
    return {};
}

std::string runMarkText(const RecordQuality* quality, const MachineComparison* comparison) {
    std::string marks;
    if (quality != nullptr && quality->unsteadyRun()) marks = "неустойчивый запуск";
    if (comparison != nullptr &&
        std::any_of(comparison->tests.begin(), comparison->tests.end(),
                    [](const TestComparison& test) { return test.behind.has_value(); }))
        marks += marks.empty() ? "медленная фаза" : ", медленная фаза";
    return marks;
}

std::string htmlText(const std::string& text) {
    std::string escaped;
    for (const char character : platform::printableText(text)) {
        switch (character) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += character;
        }
    }
    return escaped;
}

std::vector<std::size_t> shownMachines(std::span<const RankedMachine> machines) {
    std::vector<std::size_t> order(machines.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (machines.size() <= kHtmlMachineLimit) return order;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return machines[a].index.value_or(-1) > machines[b].index.value_or(-1);
    });
    const auto reference = std::find_if(order.begin(), order.end(),
                                        [&](std::size_t m) { return machines[m].reference; });
    if (reference != order.end() && reference - order.begin() >= std::ptrdiff_t(kHtmlMachineLimit))
        std::iter_swap(order.begin() + kHtmlMachineLimit - 1, reference);
    order.resize(kHtmlMachineLimit);
    std::sort(order.begin(), order.end());
    return order;
}

void writeHtmlReport(std::ostream& out, const HtmlReport& report) {
    std::vector<RankedMachine> ranked;
    for (const HtmlMachine& machine : report.machines)
        ranked.push_back(
            {machine.comparison ? machine.comparison->index : std::nullopt, machine.reference});
    const std::vector<std::size_t> shown = shownMachines(ranked);
    const std::size_t leftOut = report.leftOut + report.machines.size() - shown.size();
    writeHead(out, report, shown.size());
    if (leftOut > 0)
        out << "<p class=\"left\">Показаны " << shown.size() << " машин с наибольшим индексом; "
            << leftOut << " не показаны.</p>\n";
    if (report.machines.empty()) {
        writeNothingToCompare(out, report.folders);
        out << "</main></body></html>\n";
        return;
    }
    writeSummary(out, report.machines, shown);
    for (int test = 0; test < static_cast<int>(report.tests.size()); ++test)
        writeTest(out, report, shown, test);
    writeCores(out, report, shown);
    writeMachines(out, report, shown);
    out << "</main></body></html>\n";
}
