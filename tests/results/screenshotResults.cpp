// Pictures of the comparison window and the system information dialog, for looking at by eye:
// a few result files of its own in a temporary cpus/ folder, the list in cycles and in
// milliseconds (with a failed test), the dialog filled in by hand and filled from the machine it
// runs on, and the tool bar images enlarged; then the comparison window, the dialog and the
// about box again under a dark palette (KDE's Breeze Dark colours), for measuring contrast.
// Usage: korvex_results_screenshots OUTPUT_FOLDER (run under a display, e.g. xvfb-run).

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cstdio>

#include "results/benchUnit.h"
#include "results/sendUnit.h"
#include "support/qtTestSupport.h"
#include "testrun/boutUnit.h"

namespace {

TCpuRecord machine(const char* cpu, const char* fsb, const char* memory, const char* os,
                   std::uint32_t bestCycles, std::uint32_t spread, std::uint32_t bestMs) {
    TCpuRecord record = emptyRecord();
    setDescriptionText(record.Cpu, cpu);
    setDescriptionText(record.Fsb, fsb);
    setDescriptionText(record.Memory, memory);
    setDescriptionText(record.Os, os);
    for (int test = 0; test < kTestCount; ++test)
        for (int run = 0; run < kRunsPerTest; ++run) {
            const auto scale = static_cast<std::uint32_t>(test + 1);
            record.Results[2 * test][run] =
                scale * bestCycles + spread * static_cast<std::uint32_t>(run % 3);
            record.Results[2 * test + 1][run] =
                scale * bestMs + static_cast<std::uint32_t>(run % 2);
        }
    return record;
}

// The colours of KDE's Breeze Dark.
QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x31, 0x36, 0x3B), text(0xEF, 0xF0, 0xF1), base(0x23, 0x26, 0x29);
    for (const auto& [role, colour] : {std::pair{QPalette::Window, window},
                                       {QPalette::WindowText, text},
                                       {QPalette::Base, base},
                                       {QPalette::AlternateBase, window},
                                       {QPalette::Text, text},
                                       {QPalette::Button, window},
                                       {QPalette::ButtonText, text},
                                       {QPalette::Highlight, QColor(0x3D, 0xAE, 0xE9)},
                                       {QPalette::HighlightedText, text},
                                       {QPalette::Link, QColor(0x29, 0x80, 0xB9)},
                                       {QPalette::Light, QColor(0x47, 0x4D, 0x54)},
                                       {QPalette::Midlight, QColor(0x3C, 0x42, 0x48)},
                                       {QPalette::Mid, QColor(0x25, 0x29, 0x2C)},
                                       {QPalette::Dark, QColor(0x1B, 0x1E, 0x20)},
                                       {QPalette::Shadow, QColor(0x12, 0x14, 0x15)},
                                       {QPalette::ToolTipBase, window},
                                       {QPalette::ToolTipText, text}})
        palette.setColor(role, colour);
    return palette;
}

bool save(QWidget* widget, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    const bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(output);

    QTemporaryDir work;
    const std::filesystem::path cpus = (work.path() + QStringLiteral("/cpus")).toStdString();
    std::filesystem::create_directories(cpus);
    TCpuRecord failed = machine("Intel Celeron 1.7", "400", "256 МБ", "Windows 98", 520, 30, 300);
    failed.Results[0][4] = failed.Results[1][4] = 0;
    const std::pair<const char*, TCpuRecord> files[] = {
        {"athlon.dat", machine("AMD Athlon XP 2500+", "333", "512 МБ", "Windows XP", 380, 40, 290)},
        {"p4.dat", machine("Intel Pentium 4 2.4 ГГц", "533", "1 ГБ", "Windows 2000", 450, 90, 190)},
        {"celeron.DAT", failed},
        {"duron.dat", machine("AMD Duron 800", "200", "128 МБ", "Linux 2.4", 900, 60, 1100)},
    };
    for (const auto& [name, record] : files)
        if (!saveRecordFile(cpus / name, record).ok()) return 1;
    QDir::setCurrent(work.path());

    TForm2 comparison;
    if (!QTest::qWaitFor([&] { return comparison.resultFolderRead(); })) return 1;
    TForm3 dialog(comparison.BenchResults());
    comparison.BenchResults() = machine("", "", "", "", 400, 120, 160).Results;
    comparison.RebuildList();
    comparison.show();
    if (!QTest::qWaitForWindowExposed(&comparison)) return 1;
    bool ok = save(&comparison, output, "comparison-cycles.png");
    control<QToolButton>(comparison, "ToolButton2")->click();
    ok = save(&comparison, output, "comparison-milliseconds.png") && ok;
    control<QToolButton>(comparison, "ToolButton13")->click();
    ok = save(&comparison, output, "comparison-test10-never-run.png") && ok;

    const char* lines[] = {"Intel Core i5-8250U", "100 МГц", "8 ГБ", "Debian 12"};
    for (int number = 1; number <= 4; ++number)
        control<QLineEdit>(dialog, QStringLiteral("Edit%1").arg(number))
            ->setText(QString::fromUtf8(lines[number - 1]));
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) return 1;
    ok = save(&dialog, output, "system-information.png") && ok;
    dialog.hide();

    // Opened with empty lines, the dialog fills them with what this machine says about itself.
    TForm3 prefilled(comparison.BenchResults());
    prefilled.show();
    if (!QTest::qWaitForWindowExposed(&prefilled)) return 1;
    ok = save(&prefilled, output, "system-information-prefilled.png") && ok;

    // The fourteen tool bar images, each at its size and four times enlarged.
    QImage sheet(14 * 72, 72, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int slot = 0;
    for (int number : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16}) {
        auto* button = control<QToolButton>(comparison, QStringLiteral("ToolButton%1").arg(number));
        const QPixmap picture = button->icon().pixmap(16, 16);
        painter.drawPixmap(slot * 72 + 2, 2, picture);
        painter.drawPixmap(QRect(slot * 72 + 4, 20, 64, 64).adjusted(0, -12, 0, -12), picture);
        ++slot;
    }
    painter.end();
    const QString sheetPath = QDir(output).filePath(QStringLiteral("toolbar-images.png"));
    ok = sheet.save(sheetPath) && ok;
    std::printf("wrote %s\n", qPrintable(sheetPath));

    TAboutBox about;
    about.show();
    if (!QTest::qWaitForWindowExposed(&about)) return 1;
    ok = save(&about, output, "about-light.png") && ok;
    about.hide();

    QApplication::setPalette(darkPalette());
    TForm2 darkComparison;
    if (!QTest::qWaitFor([&] { return darkComparison.resultFolderRead(); })) return 1;
    darkComparison.BenchResults() = comparison.BenchResults();
    darkComparison.RebuildList();
    darkComparison.show();
    if (!QTest::qWaitForWindowExposed(&darkComparison)) return 1;
    ok = save(&darkComparison, output, "comparison-cycles-dark.png") && ok;
    control<QToolButton>(darkComparison, "ToolButton13")->click();
    ok = save(&darkComparison, output, "comparison-test10-never-run-dark.png") && ok;
    TForm3 darkDialog(comparison.BenchResults());
    darkDialog.show();
    if (!QTest::qWaitForWindowExposed(&darkDialog)) return 1;
    ok = save(&darkDialog, output, "system-information-dark.png") && ok;
    TAboutBox darkAbout;
    darkAbout.show();
    if (!QTest::qWaitForWindowExposed(&darkAbout)) return 1;
    ok = save(&darkAbout, output, "about-dark.png") && ok;
    return ok ? 0 : 1;
}
