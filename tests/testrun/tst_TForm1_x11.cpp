// The main window during a run as a person at a real X server sees it (Qt's xcb platform under
// Xvfb, no window manager): every line on the screen before the next kernel starts and during
// the pauses, the comparison window on top and active afterwards, each window's caption exactly
// its own and its icon the program's. The pictures come from a connection of their own to the
// server, so they show what the program has sent, not what Qt still holds.

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <functional>

#include "results/benchUnit.h"
#include "results/sendUnit.h"
#include "support/expectedRunLines.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "support/programEnvironment.h"
#include "support/qtTestSupport.h"
#include "testrun/applicationUnit.h"
#include "testrun/boutUnit.h"
#include "testrun/mainUnit.h"
#include "testrun/programWindowsUnit.h"
#include "ui/picturesUnit.h"
#include "ui/windowRecallUnit.h"
#include "x11Screen.h"

#include <xcb/xcb.h>

namespace {

using namespace std::chrono_literals;

// Ten runs of a quarter second in all: long enough for a line left unpainted to stay so on the
// screen while the kernel runs.
constexpr auto kKernelRun = 25ms;
constexpr auto kPause = 400ms;
const QString kPauseLine = QStringLiteral("Простой 5 сек.");

std::function<void()> atTestStart;
int kernelCalls = 0;

std::int32_t slowKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    if (kernelCalls++ % kRunsPerTest == 0 && atTestStart) atTestStart();
    const auto end = std::chrono::steady_clock::now() + kKernelRun;
    while (std::chrono::steady_clock::now() < end) {
    }
    return 0;
}

}  // namespace

class TestTForm1OnX11 : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void linesArePaintedAsTheRunGoes();
    void comparisonWindowIsOnTopAndActiveAfterTheRun();
    void captionsAreExactlyTheWindowsOwn();
    void everyWindowShowsTheProgramsIcon();
    void minimisedOwnerOfADialogComesBackOnAPressElsewhere();

  private:
    // Compares the list box's lines on the screen with the lines as the list paints them, and
    // records a failure unless they match and the newest line is in view and drawn.
    void checkListOnScreen(const QString& moment);
    QListWidget* listBox() const { return control<QListWidget>(*Form1, "ListBox1"); }

    X11Screen screen;
    FakeSequencePlatform platform;
    // The program's own tests, labels and all, with slow fake kernels.
    FakeTestTable tests = programTestsTiming(slowKernel);
    QTemporaryDir noResultFiles;
    QStringList failures;
    int screenChecks = 0;
};

void TestTForm1OnX11::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(screen.isOpen(), "no X server");
    enterProgramEnvironment();
    prepareApplication(*qApp);

    // The windows as the program's start-up makes them, in a folder without result files.
    QVERIFY(QDir::setCurrent(noResultFiles.path()));
    createProgramWindows(platform, tests);
    Form1->setPauseLength(kPause);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void TestTForm1OnX11::cleanupTestCase() {
    atTestStart = nullptr;
    deleteProgramWindows();
}

void TestTForm1OnX11::checkListOnScreen(const QString& moment) {
    ++screenChecks;
    QListWidget* list = listBox();
    QWidget* viewport = list->viewport();
    const QRect area(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
    const QImage onScreen = screen.grab(area);
    const QImage painted = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QListWidgetItem* newest = list->item(list->count() - 1);
    const QRect newestLine = list->visualItemRect(newest);
    QString fault;
    if (onScreen.isNull())
        fault = QStringLiteral("no picture of the screen");
    else if (!viewport->rect().contains(newestLine))
        fault = QStringLiteral("the newest line is out of view");
    else if (onScreen != painted)
        fault = QStringLiteral("the screen does not show the list's lines");
    else {
        int ink = 0;
        for (int y = newestLine.top(); y <= newestLine.bottom(); ++y)
            for (int x = newestLine.left(); x <= newestLine.right(); ++x)
                ink += qGray(onScreen.pixel(x, y)) < 128;
        if (ink < 20) fault = QStringLiteral("the newest line is blank");
    }
    if (!fault.isEmpty())
        failures.append(moment + QStringLiteral(" (\"") + newest->text() + QStringLiteral("\"): ") +
                        fault);
}

void TestTForm1OnX11::linesArePaintedAsTheRunGoes() {
    QTest::mouseClick(control<QPushButton>(*Form1, "Button2"), Qt::LeftButton);  // "Расширить"
    QVERIFY(control<QCheckBox>(*Form1, "CheckBox2")->isChecked());
    // The kernels run on the run's thread: the picture is taken on the window's, the kernel
    // waiting meanwhile.
    atTestStart = [this] {
        QMetaObject::invokeMethod(
            this, [this] { checkListOnScreen(QStringLiteral("as a kernel starts")); },
            Qt::BlockingQueuedConnection);
    };

    // In a pause the window waits in its event loop: a line seen on two ticks in a row is seen
    // from within the pause, not from the moment it was added.
    int pausesChecked = 0;
    int linesAtLastTick = -1;
    int linesAtLastPause = -1;
    QTimer pauseWatch;
    pauseWatch.setInterval(kPause / 4);
    connect(&pauseWatch, &QTimer::timeout, this, [&] {
        const int lines = listBox()->count();
        if (lines > 0 && lines == linesAtLastTick && lines != linesAtLastPause &&
            listBox()->item(lines - 1)->text() == kPauseLine) {
            checkListOnScreen(QStringLiteral("during a pause"));
            ++pausesChecked;
            linesAtLastPause = lines;
        }
        linesAtLastTick = lines;
    });
    pauseWatch.start();
    QTest::mouseClick(control<QPushButton>(*Form1, "Button1"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->runInProgress(), 60000);
    pauseWatch.stop();
    atTestStart = nullptr;

    QCOMPARE(kernelCalls, kTestCount * kRunsPerTest);
    QCOMPARE(static_cast<std::size_t>(listBox()->count()), expectedRunLines(tests, true).size());
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(screenChecks, kTestCount + pausesChecked);
    QCOMPARE(pausesChecked, kTestCount - 1);
    // Every line reads in full at the designed size: none is wider than the list.
    QCOMPARE(listBox()->horizontalScrollBar()->maximum(), 0);
}

void TestTForm1OnX11::comparisonWindowIsOnTopAndActiveAfterTheRun() {
    control<QCheckBox>(*Form1, "CheckBox2")->setChecked(false);
    // The comparison is open from the last run, and the main window was brought forward since.
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
    Form1->raise();
    Form1->activateWindow();
    const auto stackedAbove = [this](QWidget* upper, QWidget* lower) {
        const std::vector<std::uint32_t> order = screen.stackingOrder();
        const auto place = [&](QWidget* window) {
            return std::find(order.begin(), order.end(),
                             static_cast<std::uint32_t>(window->winId()));
        };
        return place(upper) != order.end() && place(lower) != order.end() &&
               place(upper) > place(lower);
    };
    QTRY_VERIFY(stackedAbove(Form1, Form2));
    QTRY_COMPARE(QApplication::activeWindow(), Form1);

    QTest::mouseClick(control<QPushButton>(*Form1, "Button1"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->runInProgress(), 60000);
    QTRY_VERIFY(stackedAbove(Form2, Form1));
    QTRY_COMPARE(QApplication::activeWindow(), Form2);

    // "Bench" likewise.
    Form1->raise();
    Form1->activateWindow();
    QTRY_VERIFY(stackedAbove(Form1, Form2));
    QTest::mouseClick(control<QPushButton>(*Form1, "Button3"), Qt::LeftButton);
    QTRY_VERIFY(stackedAbove(Form2, Form1));
    QTRY_COMPARE(QApplication::activeWindow(), Form2);
}

void TestTForm1OnX11::captionsAreExactlyTheWindowsOwn() {
    const std::pair<QWidget*, QString> windows[] = {
        {Form1, QStringLiteral("Тестирование")},
        {Form2,
         QStringLiteral("Bench - кодирование Хэмминга с использованием 8-разрядных регистров")},
        {Form3, QStringLiteral("Заполнение информации")},
        {AboutBox, QStringLiteral("About")},
    };
    for (const auto& [window, caption] : windows)
        QTRY_COMPARE(screen.windowName(static_cast<std::uint32_t>(window->winId())), caption);
}

// What title bars and window switchers show: the program's icon, at the sizes they ask for.
void TestTForm1OnX11::everyWindowShowsTheProgramsIcon() {
    for (const int side : {16, 32, 48}) {
        const QImage expected =
            programIcon().pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        for (QWidget* window : {static_cast<QWidget*>(Form1), static_cast<QWidget*>(Form2),
                                static_cast<QWidget*>(Form3), static_cast<QWidget*>(AboutBox)})
            QTRY_COMPARE(screen.windowIcon(static_cast<std::uint32_t>(window->winId()), side),
                         expected);
    }
}

// The about box open over the minimised comparison window: a press on the main window, as the X
// server delivers it to the program, restores the owner along with the box. (Under a window
// manager that minimises a dialog together with its owner, restoring the dialog brings both
// back whatever the program does, so this is seen here, where the program's own state shows.)
void TestTForm1OnX11::minimisedOwnerOfADialogComesBackOnAPressElsewhere() {
    Form2->show();
    Form2->showMinimized();
    QVERIFY(Form2->isMinimized());
    AboutBox->openOwnedBy(Form2);
    const auto closeBox = qScopeGuard([] { AboutBox->accept(); });

    xcb_button_press_event_t press{};
    press.response_type = XCB_BUTTON_PRESS;
    press.detail = 1;
    press.event = static_cast<xcb_window_t>(Form1->winId());
    ModalDialogRecall recall;
    recall.nativeEventFilter("xcb_generic_event_t", &press, nullptr);
    QTRY_VERIFY2(!Form2->isMinimized(), "the dialog's owner stayed minimised");
    QVERIFY(AboutBox->isVisible());
}

QTEST_MAIN(TestTForm1OnX11)
#include "tst_TForm1_x11.moc"
