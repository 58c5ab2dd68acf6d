#include "renderers/htmlReportUnit.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/records.h"

namespace {

// The lines of the page's section `id` that are rows of its table.
std::vector<std::string> sectionRows(const std::string& page, const std::string& id) {
    const std::size_t start = page.find("<section class=\"test\" id=\"" + id + "\"");
    const std::size_t end = page.find("</section>", start);
    std::vector<std::string> rows;
    std::istringstream lines(page.substr(start, end - start));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("<tr", 0) == 0 && line.find("<th>") == std::string::npos)
            rows.push_back(line);
    return rows;
}

HtmlReport reportOf(const std::vector<const TCpuRecord*>& records) {
    HtmlReport report;
    report.tests.push_back(
        {"ham8-encode", "8-битное кодирование Хэмминга:", "Bench - кодирование"});
    for (const TCpuRecord* record : records) {
        HtmlMachine machine;
        machine.name = descriptionText(record->Cpu);
        machine.results = record->Results;
        report.machines.push_back(machine);
    }
    return report;
}

}  // namespace

// Whatever a description holds reaches the page as text: markup escaped, control characters and
// broken UTF-8 as the program prints them everywhere.
TEST(HtmlReport, HostileTextStaysText) {
    const struct {
        std::string text, html;
    } cases[] = {
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"\"><img src=x onerror='a'>", "&quot;&gt;&lt;img src=x onerror=&#39;a&#39;&gt;"},
        {"&amp;", "&amp;amp;"},
        {"a\x1b[31mb\nc", "a?[31mb?c"},
        {std::string("d\0e", 3), "de"},
        {"\xff<", "?&lt;"},
        {"Память 512 МБ", "Память 512 МБ"},
    };
    for (const auto& c : cases) EXPECT_EQ(htmlText(c.text), c.html) << c.text;
}

// Past the limit the page keeps the highest indexes, and the reference even when its own index
// is low, in the machines' own order, and says how many it left out.
TEST(HtmlReport, PastTheLimitTheHighestIndexesAndTheReferenceStay) {
    const std::size_t count = kHtmlMachineLimit + 2;
    std::vector<RankedMachine> machines(count);
    for (std::size_t m = 0; m < count; ++m) machines[m].index = static_cast<double>(m);
    machines[1].reference = true;
    const std::vector<std::size_t> shown = shownMachines(machines);
    ASSERT_EQ(shown.size(), kHtmlMachineLimit);
    EXPECT_EQ(shown[0], 1u);
    EXPECT_EQ(shown[1], 3u);  // 2 gave its place to the reference; 0 was never in
    EXPECT_EQ(shown.back(), count - 1);

    const TCpuRecord record = testMachine("one");
    HtmlReport report = reportOf({&record});
    report.leftOut = 2;
    std::ostringstream page;
    writeHtmlReport(page, report);
    EXPECT_NE(page.str().find("Показаны 1 машин с наибольшим индексом; 2 не показаны."),
              std::string::npos);
}

// Each test's rows come in the comparison window's order (failed first, then ascending best),
// the bars scaled by the largest average, the failed test said over its average bar.
TEST(HtmlReport, TestRowsInWindowOrderWithBarsOfTheLargestAverage) {
    const TCpuRecord slow = testMachine("slow", runsOf(200)),
                     uneven = testMachine("uneven", halfAndHalf(100, 200)),
                     failed =
                         testMachine("failed", {0, 300, 300, 300, 300, 300, 300, 300, 300, 300});
    std::ostringstream page;
    writeHtmlReport(page, reportOf({&slow, &uneven, &failed}));
    const std::vector<std::string> rows = sectionRows(page.str(), "ham8-encode");
    ASSERT_EQ(rows.size(), 3u) << page.str();
    EXPECT_NE(rows[0].find("<tr><td>failed<td>0<td>270"), std::string::npos);
    EXPECT_NE(rows[0].find("width=100.0% /><text class=f"), std::string::npos) << rows[0];
    EXPECT_NE(rows[1].find("uneven"), std::string::npos);
    EXPECT_NE(rows[1].find("<rect height=100% width=55.5% />"), std::string::npos) << rows[1];
    EXPECT_NE(rows[1].find("<rect class=b height=100% width=37.0% />"), std::string::npos)
        << rows[1];
    EXPECT_NE(rows[2].find("slow"), std::string::npos);
}

// On the page of a run on a processor that cannot run a test, that test's section says so and
// draws no row, where its zero rows would otherwise show as a failure.
TEST(HtmlReport, ATestThisProcessorCannotRunSaysSoInsteadOfFailing) {
    const TCpuRecord run = testMachine("run", runsOf(200));
    HtmlReport report = reportOf({&run});
    report.tests.push_back({"later", "later test:", "Bench - later", false});
    RunTable rows(run.Results.begin(), run.Results.end());
    rows.resize(rows.size() + 2);  // a test after the record's, never called
    report.machines[0].results = rows;
    std::ostringstream page;
    writeHtmlReport(page, report);
    EXPECT_EQ(sectionRows(page.str(), "ham8-encode").size(), 1u);
    EXPECT_TRUE(sectionRows(page.str(), "later").empty());
    const std::size_t later = page.str().find("id=\"later\"");
    ASSERT_NE(later, std::string::npos) << page.str();
    const std::string section =
        page.str().substr(later, page.str().find("</section>", later) - later);
    EXPECT_NE(section.find(kTestNotSupportedText), std::string::npos) << section;
    EXPECT_EQ(section.find(kTestFailedText), std::string::npos) << section;
}

// What was decided is worded with its direction, not left to a missing "≈".
TEST(HtmlReport, DecisionsAreWordedWithTheirDirection) {
    const struct {
        const char* name;
        TestComparison test;
        bool reference;
        std::string text;
    } cases[] = {
        {"real, slower", {.ratio = 1.10345, .verdict = Verdict::Real}, false, "1.103, медленнее"},
        {"real, faster",
         {.ratio = 0.909, .verdict = Verdict::Real, .faster = true},
         false,
         "0.909, быстрее"},
        {"within", {.ratio = 1.0214, .verdict = Verdict::Within}, false, "≈1.021"},
        {"inconclusive",
         {.ratio = 1.0481, .verdict = Verdict::Inconclusive},
         false,
         "?1.048 неясно"},
        {"not compared", {}, false, ""},
        {"the reference", {.ratio = 1.0}, true, "эталон"},
    };
    for (const auto& c : cases) EXPECT_EQ(decisionText(c.test, c.reference), c.text) << c.name;
}

// The index table counts each machine's real and inconclusive tests, a real difference is marked
// by its direction's class, and a machine from an unsteady run says so beside its name.
TEST(HtmlReport, IndexTableCountsTheDecisionsAndMarksUnsteadyRuns) {
    const TCpuRecord reference = testMachine("ref", runsOf(100)),
                     slower = testMachine("slower", runsOf(110));
    HtmlReport report = reportOf({&reference, &slower});
    MachineComparison referenceComparison, slowerComparison;
    referenceComparison.index = 100;
    slowerComparison.index = 90.9;
    slowerComparison.tests[0] = {.ratio = 1.1, .verdict = Verdict::Real, .significant = true};
    for (std::size_t test = 1; test < 4; ++test)
        slowerComparison.tests[test].verdict = Verdict::Inconclusive;
    RecordQuality unsteady;
    unsteady.unsteady[2] = true;
    report.machines[0].comparison = &referenceComparison;
    report.machines[0].reference = true;
    report.machines[1].comparison = &slowerComparison;
    report.machines[1].quality = &unsteady;
    std::ostringstream out;
    writeHtmlReport(out, report);
    const std::string page = out.str();
    EXPECT_NE(page.find("<th>Реальных<th>Неясных"), std::string::npos);
    EXPECT_NE(page.find("<tr><td>slower <span class=u>(неустойчивый запуск)</span><td><td>"
                        "90.9<td>0<td>1<td>3<td>"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<td>ref (эталон)<td><td>100.0<td>0<td>—<td>—<td>"), std::string::npos);
    EXPECT_NE(page.find("<span class=s>1.100, медленнее</span>"), std::string::npos);
    EXPECT_NE(page.find("Неустойчивый запуск, тесты 3"), std::string::npos);
}

// Without machines the page says which folders it read and how to add machines, and draws no
// table; a narrow screen is told the machines' table scrolls.
TEST(HtmlReport, NoMachinesNamesTheFoldersAndDrawsNoTable) {
    const struct {
        std::vector<std::string> folders;
        std::string named;
    } cases[] = {
        {{"cpus"}, "в папке <code>cpus</code>."},
        {{"fleet/a", "<b>"}, "в папках <code>fleet/a</code>, <code>&lt;b&gt;</code>."},
    };
    for (const auto& c : cases) {
        HtmlReport report = reportOf({});
        report.folders = c.folders;
        std::ostringstream page;
        writeHtmlReport(page, report);
        EXPECT_NE(page.str().find("Нет результатов для сравнения " + c.named), std::string::npos)
            << page.str();
        EXPECT_NE(page.str().find("korvex2-console --save"), std::string::npos);
        EXPECT_EQ(page.str().find("<table"), std::string::npos) << page.str();
    }
    const TCpuRecord machine = testMachine("one", runsOf(100));
    std::ostringstream page;
    writeHtmlReport(page, reportOf({&machine}));
    EXPECT_NE(page.str().find("<p class=\"scroll\">"), std::string::npos);
}
