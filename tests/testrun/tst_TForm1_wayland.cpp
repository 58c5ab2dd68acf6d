// The main window on Wayland (Qt's wayland platform under a headless Weston, see
// westonSession.sh), where the compositor, not the program, places a window each time it is
// shown: "Расширить" must find room for the whole window below its top. Weston's own account of
// where each window lies (`weston-debug scene-graph`) is the judge.

#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "support/qtTestSupport.h"
#include "testrun/mainUnit.h"

namespace {

// Where Weston shows its output and the window titled `title`, frame and shadow included;
// empty rectangles for what it does not show.
struct Placing {
    QRect output;
    QRect window;
};

QRect fromCorners(const QRegularExpressionMatch& match) {
    return QRect(QPoint(match.captured(1).toInt(), match.captured(2).toInt()),
                 QPoint(match.captured(3).toInt() - 1, match.captured(4).toInt() - 1));
}

Placing placedByWeston(const QString& title) {
    QProcess debug;
    debug.start(QStringLiteral("weston-debug"), {QStringLiteral("scene-graph")});
    if (!debug.waitForFinished(5000)) return {};
    const QStringList lines = QString::fromUtf8(debug.readAllStandardOutput()).split('\n');
    static const QRegularExpression corners(
        QStringLiteral(R"(position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\))"));
    Placing placing;
    for (qsizetype line = 0; line + 1 < lines.size(); ++line) {
        const QRegularExpressionMatch next = corners.match(lines[line + 1]);
        if (!next.hasMatch()) continue;
        if (lines[line].startsWith(QStringLiteral("Output 0 "))) placing.output = fromCorners(next);
        if (lines[line].contains(QStringLiteral("top-level window '%1'").arg(title)))
            placing.window = fromCorners(next);
    }
    return placing;
}

}  // namespace

class TestTForm1Wayland : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void expandedWindowLiesWhollyOnTheScreen();
};

void TestTForm1Wayland::initTestCase() {
    QVERIFY(QGuiApplication::platformName().startsWith(QLatin1String("wayland")));
}

// Each showing is placed anew by the compositor (its placing draws from a random sequence), so
// the window is shown several times; each time it starts collapsed and expands on the screen.
void TestTForm1Wayland::expandedWindowLiesWhollyOnTheScreen() {
    FakeSequencePlatform platform;
    const FakeTestTable tests = numberedTestsTiming(passingKernel);
    TForm1 form(platform, tests);
    auto* expand = control<QPushButton>(form, "Button2");
    const QString title = form.windowTitle();
    for (int showing = 0; showing < 4; ++showing) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.height(), TForm1::kCollapsedHeight);
        int frame = 0;
        QTRY_VERIFY((frame = placedByWeston(title).window.height()) > 0 &&
                    frame < TForm1::kExpandedHeight);
        QTest::mouseClick(expand, Qt::LeftButton);
        QCOMPARE(form.height(), TForm1::kExpandedHeight);
        Placing placing;
        QTRY_VERIFY((placing = placedByWeston(title)).window.height() > TForm1::kExpandedHeight);
        QVERIFY(!placing.output.isEmpty());
        QVERIFY2(placing.output.contains(placing.window),
                 qPrintable(QDebug::toString(placing.window) + QStringLiteral(" on ") +
                            QDebug::toString(placing.output)));
        QTest::mouseClick(expand, Qt::LeftButton);
        form.hide();
    }
}

QTEST_MAIN(TestTForm1Wayland)
#include "tst_TForm1_wayland.moc"
