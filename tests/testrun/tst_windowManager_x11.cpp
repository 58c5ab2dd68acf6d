// The windows under a window manager (Openbox on a virtual X server, Qt's xcb platform), driven
// through the X server's input like a person at the mouse and keyboard (xdotool): a dialog
// minimised by the window manager comes back when another window of the program is clicked, a
// minimised comparison window comes back on "Bench" and at the end of a run, Enter in the
// information dialog saves, a dialog open at the end of a run keeps the focus and what is typed
// into it, Enter closes the about box, and keys pressed while a test is timed take effect at
// once.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "results/benchUnit.h"
#include "results/sendUnit.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "support/modalDriver.h"
#include "support/programEnvironment.h"
#include "support/qtTestSupport.h"
#include "testrun/applicationUnit.h"
#include "testrun/boutUnit.h"
#include "testrun/mainUnit.h"
#include "testrun/programWindowsUnit.h"
#include "testrun/reklamaUnit.h"
#include "x11Screen.h"

namespace {

std::uint32_t windowId(const QWidget* window) {
    return static_cast<std::uint32_t>(window->winId());
}

// Input as the X server's test extension delivers it: through the window manager, to whatever
// window lies under the pointer or has the keyboard.
bool xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// `place` is in `window`'s coordinates; a top-level window's geometry is its place on the screen.
bool clickAt(const QWidget* window, QPoint place) {
    const QPoint onScreen = window->geometry().topLeft() + place;
    return xdotool(
        {"mousemove", QString::number(onScreen.x()), QString::number(onScreen.y()), "click", "1"});
}

bool pressEnter() { return xdotool({"key", "Return"}); }

bool type(const QString& text) { return xdotool({"type", "--delay", "20", text}); }

// A kernel whose ten calls take 3 s; `slowCalls` counts the calls begun.
std::atomic<int> slowCalls{0};
std::int32_t slowKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    ++slowCalls;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return 0;
}

// The window manager's own minimising, as its window menu or a key does it.
bool minimise(const QWidget* window) {
    return xdotool({"windowminimize", "--sync", QString::number(windowId(window))});
}

}  // namespace

class TestWindowsUnderAWindowManager : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void minimisedComparisonWindowComesBack_data();
    void minimisedComparisonWindowComesBack();
    void minimisedAboutBoxComesBackOnAClick_data();
    void minimisedAboutBoxComesBackOnAClick();
    void enterInAnEditBoxSaves();
    void dialogOpenAtTheEndOfARunKeepsFocusAndTypedText();
    void enterClosesTheAboutBox();
    void keysDuringATestTakeEffectAtOnce();

  private:
    // Minimised by the window manager, asked again where a request met it still settling the
    // window (it then leaves the window shown).
    bool minimiseUntilIconic(const QWidget* window) const {
        for (int attempt = 0; attempt < 3; ++attempt)
            if (minimise(window) &&
                QTest::qWaitFor([&] { return screen_.isIconic(windowId(window)); }, 2000))
                return true;
        return false;
    }
    // Shown, not minimised, and the active window both for the window manager and for Qt.
    bool isBackAndActive(const QWidget* window) const {
        return window->isVisible() && !screen_.isIconic(windowId(window)) &&
               screen_.activeWindow() == windowId(window) && window->isActiveWindow();
    }
    void showComparisonWindow();
    // Starts a run without pauses whose test `slowTest` is slow, as a click on "Начать тест".
    void startRunWithSlowTest(int slowTest);

    X11Screen screen_;
    QProcess windowManager_;
    FakeSequencePlatform platform_;
    FakeTestTable tests_ = numberedTestsTiming(passingKernel);
    QTemporaryDir folder_;
};

void TestWindowsUnderAWindowManager::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(screen_.isOpen(), "no X server");
    // Debian's configuration without the animation of minimising, during which Openbox keeps
    // the pointer to itself and a click would be lost; it reports being ready by making a file.
    QFile debianConfiguration(QStringLiteral("/etc/xdg/openbox/rc.xml"));
    QVERIFY(debianConfiguration.open(QIODevice::ReadOnly));
    QFile configuration(folder_.filePath(QStringLiteral("openbox.xml")));
    QVERIFY(configuration.open(QIODevice::WriteOnly));
    configuration.write(debianConfiguration.readAll().replace(
        "<animateIconify>yes</animateIconify>", "<animateIconify>no</animateIconify>"));
    configuration.close();
    const QString ready = folder_.filePath(QStringLiteral("openbox-ready"));
    windowManager_.start(
        QStringLiteral("openbox"),
        {"--sm-disable", "--config-file", configuration.fileName(), "--startup", "touch " + ready});
    QVERIFY2(windowManager_.waitForStarted(), "openbox does not start");
    QTRY_VERIFY(QFile::exists(ready));
    enterProgramEnvironment();
    prepareApplication(*qApp);

    // The windows as the program's start-up makes them, in a folder without result files.
    QVERIFY(QDir::setCurrent(folder_.path()));
    createProgramWindows(platform_, tests_);
    Form1->setPauseLength(std::chrono::milliseconds(1));
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QVERIFY(QTest::qWaitForWindowExposed(rekForm));
}

void TestWindowsUnderAWindowManager::cleanupTestCase() {
    deleteProgramWindows();
    windowManager_.terminate();
    windowManager_.waitForFinished();
}

void TestWindowsUnderAWindowManager::showComparisonWindow() {
    QVERIFY(clickAt(Form1, control<QPushButton>(*Form1, "Button3")->geometry().center()));
    QTRY_VERIFY(isBackAndActive(Form2));
}

void TestWindowsUnderAWindowManager::minimisedComparisonWindowComesBack_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Bench clicked") << "click";
    QTest::newRow("Enter on the focused Bench button") << "enter";
    QTest::newRow("end of a run") << "run";
}

void TestWindowsUnderAWindowManager::minimisedComparisonWindowComesBack() {
    QFETCH(QString, how);
    showComparisonWindow();
    QVERIFY(minimiseUntilIconic(Form2));
    QTRY_VERIFY(Form1->isActiveWindow());

    auto* bench = control<QPushButton>(*Form1, "Button3");
    if (how == "click") {
        QVERIFY(clickAt(Form1, bench->geometry().center()));
    } else if (how == "enter") {
        bench->setFocus();
        QVERIFY(pressEnter());
    } else {
        control<QCheckBox>(*Form1, "CheckBox2")->setChecked(false);  // no pauses
        QVERIFY(clickAt(Form1, control<QPushButton>(*Form1, "Button1")->geometry().center()));
    }
    QTRY_VERIFY(isBackAndActive(Form2));
}

void TestWindowsUnderAWindowManager::minimisedAboutBoxComesBackOnAClick_data() {
    QTest::addColumn<QString>("openedFrom");
    QTest::addColumn<QString>("clicked");
    // Minimised, the box takes the comparison window with it; the main window stays.
    QTest::newRow("opened from the comparison window, the main window clicked") << "comparison"
                                                                                << "main";
    // Minimised, the box takes the main window with it; the banner stays.
    QTest::newRow("opened from the main window's menu, the banner clicked") << "menu"
                                                                            << "banner";
}

void TestWindowsUnderAWindowManager::minimisedAboutBoxComesBackOnAClick() {
    QFETCH(QString, openedFrom);
    QFETCH(QString, clicked);
    showComparisonWindow();
    QWidget* owner = openedFrom == "menu" ? static_cast<QWidget*>(Form1) : Form2;
    QWidget* target = clicked == "main" ? static_cast<QWidget*>(Form1) : rekForm;
    const QPoint spot = clicked == "main" ? QPoint(300, 52) : QPoint(20, 20);  // off any control

    // The box opens modal to its owner and the menu entry or button returns at once.
    if (openedFrom == "menu")
        control<QAction>(*Form1, "N1")->trigger();
    else
        control<QToolButton>(*Form2, "ToolButton16")->click();
    const auto closeBox = qScopeGuard([] { AboutBox->accept(); });
    QTRY_VERIFY(isBackAndActive(AboutBox));
    QVERIFY2(minimiseUntilIconic(AboutBox), "the window manager did not minimise the about box");
    QTRY_VERIFY(!target->isMinimized());
    QVERIFY(clickAt(target, spot));
    QTRY_VERIFY2(isBackAndActive(AboutBox), "the about box did not come back restored and active");
    QVERIFY2(!screen_.isIconic(windowId(owner)) && owner->isVisible(),
             "the window that opened the about box stayed minimised");
}

void TestWindowsUnderAWindowManager::enterInAnEditBoxSaves() {
    showComparisonWindow();
    Form3->setResultsMeasured(true);  // as after a completed run
    const QString target = folder_.filePath(QStringLiteral("entered.dat"));
    control<QToolButton>(*Form2, "ToolButton14")->click();
    const auto closeDialog = qScopeGuard([] { Form3->reject(); });
    auto* edit = control<QLineEdit>(*Form3, "Edit2");
    edit->setFocus();
    whenModal<QFileDialog>([&](QFileDialog* save) {
        control<QLineEdit>(*save, "fileNameEdit")->setText(target);
        if (!QTest::qWaitFor([&] { return save->isActiveWindow(); }) || !pressEnter())
            save->reject();
    });
    QTRY_VERIFY(isBackAndActive(Form3) && edit->hasFocus());
    QVERIFY(pressEnter());
    QTRY_VERIFY2(!Form3->isVisible(), "Enter did not save and close the dialog");
    QCOMPARE(QFileInfo(target).size(), qint64{kRecordSize});
    // The save is confirmed over the comparison window; Enter closes the notice.
    auto* notice = Form2->findChild<QMessageBox*>(QStringLiteral("savedNotice"));
    QVERIFY(notice != nullptr);
    QTRY_VERIFY(isBackAndActive(notice));
    QVERIFY(pressEnter());
    QTRY_VERIFY(Form2->findChild<QMessageBox*>(QStringLiteral("savedNotice")) == nullptr);
}

void TestWindowsUnderAWindowManager::startRunWithSlowTest(int slowTest) {
    for (int test = 0; test < kTestCount; ++test)
        tests_[test].kernel = test == slowTest ? slowKernel : passingKernel;
    slowCalls = 0;
    control<QCheckBox>(*Form1, "CheckBox2")->setChecked(false);
    QVERIFY(clickAt(Form1, control<QPushButton>(*Form1, "Button1")->geometry().center()));
    QTRY_VERIFY(Form1->runInProgress());
}

// The run ends while the user types into "Заполнение информации": the comparison window it
// shows opens behind the dialog, which keeps the focus and every key.
void TestWindowsUnderAWindowManager::dialogOpenAtTheEndOfARunKeepsFocusAndTypedText() {
    showComparisonWindow();
    startRunWithSlowTest(kTestCount - 1);
    const auto restore = qScopeGuard([this] { tests_[kTestCount - 1].kernel = passingKernel; });
    control<QToolButton>(*Form2, "ToolButton14")->click();
    const auto closeDialog = qScopeGuard([] { Form3->reject(); });
    auto* edit = control<QLineEdit>(*Form3, "Edit4");
    edit->clear();
    edit->setFocus();
    QTRY_VERIFY(isBackAndActive(Form3) && edit->hasFocus());
    QVERIFY(type(QStringLiteral("abc")));
    QVERIFY2(Form1->runInProgress(), "the run ended before the dialog was typed into");
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->runInProgress(), 20000);
    QTRY_VERIFY(Form2->isVisible());
    QVERIFY(type(QStringLiteral("def")));
    QTRY_COMPARE(edit->text(), QStringLiteral("abcdef"));
    QVERIFY(isBackAndActive(Form3));
    QVERIFY(edit->hasFocus());
}

void TestWindowsUnderAWindowManager::enterClosesTheAboutBox() {
    control<QAction>(*Form1, "N1")->trigger();
    const auto closeBox = qScopeGuard([] { AboutBox->reject(); });
    QTRY_VERIFY(isBackAndActive(AboutBox));
    QVERIFY(control<QPushButton>(*AboutBox, "OKButton")->hasFocus());
    QVERIFY(pressEnter());
    QTRY_VERIFY2(!AboutBox->isVisible(), "Enter did not close the about box");
    QCOMPARE(AboutBox->result(), int(QDialog::Accepted));
}

// Space on the focused "Расширить" while a test's kernel is timed: the window changes its
// height within half a second, while that test is still going.
void TestWindowsUnderAWindowManager::keysDuringATestTakeEffectAtOnce() {
    startRunWithSlowTest(4);
    const auto restore = qScopeGuard([this] {
        QTRY_VERIFY_WITH_TIMEOUT(!Form1->runInProgress(), 20000);
        tests_[4].kernel = passingKernel;
    });
    Form1->activateWindow();
    auto* expand = control<QPushButton>(*Form1, "Button2");
    expand->setFocus();
    QTRY_VERIFY(isBackAndActive(Form1) && expand->hasFocus());
    QTRY_VERIFY_WITH_TIMEOUT(slowCalls >= 2, 10000);
    const int heightBefore = Form1->height();
    QElapsedTimer sincePressed;
    sincePressed.start();
    QVERIFY(xdotool({"key", "space"}));
    QTRY_VERIFY_WITH_TIMEOUT(Form1->height() != heightBefore, 500);
    QVERIFY2(sincePressed.elapsed() <= 500, "the key took effect too late");
    QVERIFY2(slowCalls < kRunsPerTest, "the key took effect only after the test");
    expand->click();
}

QTEST_MAIN(TestWindowsUnderAWindowManager)
#include "tst_windowManager_x11.moc"
