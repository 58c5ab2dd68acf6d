// The main window as a screen reader follows it (Qt's xcb platform and its AT-SPI bridge, with
// runAnnouncementListener.py listening on the accessibility bus; see screenReaderSession.sh)
// over a whole run without pauses whose kernels take long enough that a window busy with them
// would be declared hung: every line a run adds to "Ход теста" reaches the listener with its
// text, in order; every question of the listener is answered within half a second; and no
// focus event comes from anywhere but the control that has the keyboard focus. The comparison
// window over a missing result folder is heard with the note that says how to get one.

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <thread>

#include "results/benchUnit.h"
#include "support/expectedRunLines.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "support/programEnvironment.h"
#include "support/qtTestSupport.h"
#include "testrun/mainUnit.h"

namespace {

using namespace std::chrono_literals;

// A test's ten calls take 0.8 s: on the window's thread they would leave the listener's
// questions unanswered for longer than it waits.
std::int32_t slowKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    std::this_thread::sleep_for(80ms);
    return 0;
}

// What the listener heard: one entry a new child, as "parent name<tab>child name".
QStringList heard() {
    QFile file(qEnvironmentVariable("KORVEX_HEARD"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The texts of the new children of the object named `parent`; or, for the marks "[focus]",
// "[slow]" and "?" (a question left unanswered), what the listener wrote after them.
QStringList heardUnder(const QString& parent) {
    QStringList children;
    const QString prefix = parent + QLatin1Char('\t');
    for (const QString& entry : heard())
        if (entry.startsWith(prefix)) children.append(entry.mid(prefix.size()));
    return children;
}

}  // namespace

class TestScreenReader : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void wholeRunIsHeardWithoutFocusMovingOrTheWindowHanging();
    void missingResultFolderIsHeardWhenTheComparisonShows();
};

void TestScreenReader::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(!qEnvironmentVariableIsEmpty("KORVEX_HEARD"), "run by screenReaderSession.sh");
    enterProgramEnvironment();
}

void TestScreenReader::wholeRunIsHeardWithoutFocusMovingOrTheWindowHanging() {
    FakeSequencePlatform platform;
    const FakeTestTable tests = numberedTestsTiming(slowKernel);
    TForm1 form(platform, tests);
    ResultTable results{};
    form.setBenchResults(results);
    control<QCheckBox>(form, "CheckBox2")->setChecked(false);
    auto* start = control<QPushButton>(form, "Button1");
    // The bridge connects to the accessibility bus on its own time: the window is shown again
    // until the listener hears of it, so the run starts with the bridge talking.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&form] {
            if (!heard().isEmpty()) return true;
            form.hide();
            form.show();
            return false;
        }(),
        30000);
    form.activateWindow();
    start->setFocus();
    QTRY_VERIFY(start->hasFocus());
    QTRY_VERIFY(
        heardUnder(QStringLiteral("[focus]")).contains(QStringLiteral("push button\tНачать тест")));
    const int focusEventsBefore = heardUnder(QStringLiteral("[focus]")).size();

    start->click();  // as Space on it, or a screen reader's press action
    QVERIFY(form.runInProgress());
    QTRY_VERIFY_WITH_TIMEOUT(!form.runInProgress(), 60000);
    // The kernels take real time, so the figures are whatever the run measured: the lines are
    // those of the list, as many as a run without pauses has.
    QStringList expected;
    const auto* list = control<QListWidget>(form, "ListBox1");
    for (int row = 0; row < list->count(); ++row) expected.append(list->item(row)->text());
    QCOMPARE(static_cast<std::size_t>(expected.size()), expectedRunLines(tests, false).size());
    QTRY_COMPARE_WITH_TIMEOUT(heardUnder(QStringLiteral("Ход теста")), expected, 15000);
    // A few more of the listener's questions, after the last line.
    QTest::qWait(300);

    QCOMPARE(heardUnder(QStringLiteral("?")), QStringList());
    QCOMPARE(heardUnder(QStringLiteral("[slow]")), QStringList());
    QCOMPARE(heardUnder(QStringLiteral("[focus]")).mid(focusEventsBefore), QStringList());
    QVERIFY(start->hasFocus());
}

void TestScreenReader::missingResultFolderIsHeardWhenTheComparisonShows() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    TForm2 window(folder.filePath(QStringLiteral("cpus")).toStdString());
    QTRY_VERIFY(window.resultFolderRead());
    window.RebuildList();
    const QString note = control<QLabel>(window, "MissingFolderHint")->text();
    QVERIFY(note.contains(folder.filePath(QStringLiteral("cpus"))));
    const auto noteHeard = [&note] {
        for (const QString& entry : heard())
            if (entry.endsWith(QLatin1Char('\t') + note)) return true;
        return false;
    };
    // As in the run above, the window is shown again until the bridge has told of it.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            if (noteHeard()) return true;
            window.hide();
            window.show();
            return false;
        }(),
        30000);
}

QTEST_MAIN(TestScreenReader)
#include "tst_screenReader_x11.moc"
