// The main window as a screen reader follows it (Qt's xcb platform and its AT-SPI bridge, with
// runAnnouncementListener.py listening on the accessibility bus; see screenReaderSession.sh):
// every line a run adds to "Ход теста" reaches the listener with its text, in order.

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <chrono>

#include "support/expectedRunLines.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "support/programEnvironment.h"
#include "support/qtTestSupport.h"
#include "testrun/mainUnit.h"

namespace {

// What the listener heard: one entry a new child, as "parent name<tab>child name".
QStringList heard() {
    QFile file(qEnvironmentVariable("KORVEX_HEARD"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The texts of the new children of the object named `parent`.
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
    void everyRunLineIsHeardAsItIsAdded();
};

void TestScreenReader::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(!qEnvironmentVariableIsEmpty("KORVEX_HEARD"), "run by screenReaderSession.sh");
    enterProgramEnvironment();
}

void TestScreenReader::everyRunLineIsHeardAsItIsAdded() {
    FakeSequencePlatform platform;
    const FakeTestTable tests = numberedTestsTiming(passingKernel);
    TForm1 form(platform, tests);
    ResultTable results{};
    form.setBenchResults(results);
    form.setPauseLength(std::chrono::milliseconds(1));
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

    QTest::mouseClick(control<QPushButton>(form, "Button1"), Qt::LeftButton);
    QStringList expected;
    for (const std::string& line : expectedRunLines(tests, true))
        expected.append(QString::fromStdString(line));
    QCOMPARE(control<QListWidget>(form, "ListBox1")->count(), expected.size());
    QTRY_COMPARE_WITH_TIMEOUT(heardUnder(QStringLiteral("Ход теста")), expected, 15000);
}

QTEST_MAIN(TestScreenReader)
#include "tst_screenReader_x11.moc"
