// The main window as a user meets it: its controls, the collapsed and expanded heights, the
// pop-up menu, the about box and banner it opens, and a whole test run started from
// "Начать тест" on a fake platform with fake tests (no real sleeps, pauses cut short).

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSemaphore>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "results/benchUnit.h"
#include "support/expectedRunLines.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "support/programEnvironment.h"
#include "support/qtTestSupport.h"
#include "testrun/boutUnit.h"
#include "testrun/mainUnit.h"
#include "testrun/reklamaUnit.h"
#include "ui/controlsUnit.h"

namespace {

using namespace std::chrono_literals;

int kernelCalls = 0;

std::int32_t countingKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    ++kernelCalls;
    return 0;
}

const FakeTestTable kFakeTests = numberedTestsTiming(countingKernel);

const QString kPauseLine = QStringLiteral("Простой 5 сек.");

QStringList lines(const QListWidget& listBox) {
    QStringList result;
    for (int row = 0; row < listBox.count(); ++row) result.append(listBox.item(row)->text());
    return result;
}

QStringList expectedLines(bool withPauses) {
    QStringList result;
    for (const std::string& line : expectedRunLines(kFakeTests, withPauses))
        result.append(QString::fromStdString(line));
    return result;
}

}  // namespace

class TestTForm1 : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void captions();
    void windowAtStart();
    void expandedEveryControlShowsWholeAndApart();
    void collapsedOnlyTheListIsHidden();
    void tabOrder_data();
    void tabOrder();
    void collapsingMovesTheFocusOffTheList();
    void expandButtonTogglesHeight();
    void rightClickOpensPopupMenu_data();
    void rightClickOpensPopupMenu();
    void shiftF10OpensPopupMenuOverTheFocusedControl();
    void aboutEntryShowsAboutBoxModally();
    void runGoesOnBehindAnOpenAboutBox();
    void showingTheWindowShowsBanner();
    void runListsEveryLineOfOneRun();
    void runLinesAppearWhileRunning();
    void runFollowsCheckBoxes_data();
    void runFollowsCheckBoxes();
    void secondClickDuringRunIsIgnored();
    void anotherRunHoldingTheMachineStopsTheRunWithAMessage();
    void runFillsTheTableHandedIn();
    void pauseBoxIsReadAtEachPause_data();
    void pauseBoxIsReadAtEachPause();
    void windowStaysUsableDuringAPause();
    void closingDuringRunEndsIt_data();
    void closingDuringRunEndsIt();
    void comparisonOpensBesideTheMainWindow_data();
    void comparisonOpensBesideTheMainWindow();

  private:
    void clickStart() { QTest::mouseClick(control<QPushButton>(*form, "Button1"), Qt::LeftButton); }
    // Starts a run and waits, with the window answering, until it is over.
    void runToEnd() {
        clickStart();
        QTRY_VERIFY_WITH_TIMEOUT(!form->runInProgress(), 20000);
    }
    QListWidget* listBox() const { return control<QListWidget>(*form, "ListBox1"); }
    QString lastLine() const {
        const QListWidget* list = listBox();
        return list->count() > 0 ? list->item(list->count() - 1)->text() : QString();
    }
    // Calls `action` once, on the window's thread, as soon as `line` is added to the list: the
    // run then waits for the window before its next step.
    void atLine(const QString& line, std::function<void()> action) {
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(listBox()->model(), &QAbstractItemModel::rowsInserted, form,
                              [this, line, action, connection] {
                                  if (lastLine() != line) return;
                                  disconnect(*connection);
                                  action();
                              });
    }

    FakeSequencePlatform* platform = nullptr;
    ResultTable* benchResults = nullptr;
    TForm1* form = nullptr;
};

void TestTForm1::initTestCase() { enterProgramEnvironment(); }

void TestTForm1::init() {
    platform = new FakeSequencePlatform;
    benchResults = new ResultTable{};
    form = new TForm1(*platform, kFakeTests);
    form->setBenchResults(*benchResults);
    form->setPauseLength(1ms);
    kernelCalls = 0;
}

void TestTForm1::cleanup() {
    delete form;
    delete benchResults;
    delete platform;
}

void TestTForm1::captions() {
    QCOMPARE(control<QPushButton>(*form, "Button1")->text(), QStringLiteral("Начать тест"));
    QCOMPARE(control<QPushButton>(*form, "Button2")->text(), QStringLiteral("Расширить"));
    QCOMPARE(control<QPushButton>(*form, "Button3")->text(), QStringLiteral("Bench"));
    const std::pair<const char*, QString> checkBoxes[] = {
        {"CheckBox1", QStringLiteral("Повышенный приоритет")},
        {"CheckBox2", QStringLiteral("Приостанавливаться после каждого теста")},
    };
    for (const auto& [name, caption] : checkBoxes) {
        const auto* checkBox = control<QCheckBox>(*form, name);
        QCOMPARE(checkBox->text(), caption);
        QVERIFY(checkBox->isChecked());
        QVERIFY2(checkBox->width() >= checkBox->sizeHint().width(), name);
    }
}

void TestTForm1::windowAtStart() {
    QCOMPARE(form->windowTitle(), QStringLiteral("Тестирование"));
    QCOMPARE(form->size(), QSize(TForm1::kClientWidth, TForm1::kCollapsedHeight));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    // Even expanded, it opens wholly on the smallest screen it was made for.
    QVERIFY(
        QRect(0, 0, 800, 600)
            .contains(QRect(form->pos(), QSize(TForm1::kClientWidth, TForm1::kExpandedHeight))));
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form->font().pixelSize(), 11);
    QCOMPARE(listBox()->count(), 0);
}

void TestTForm1::expandedEveryControlShowsWholeAndApart() {
    QTest::mouseClick(control<QPushButton>(*form, "Button2"), Qt::LeftButton);
    const QString faults = layoutFaults(*form);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

void TestTForm1::collapsedOnlyTheListIsHidden() {
    QStringList cut;
    for (const QWidget* widget : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!widget->isWindow() && widget->geometry().bottom() >= form->height())
            cut.append(widget->objectName());
    QCOMPARE(cut, QStringList({"ListBox1"}));
    QVERIFY(listBox()->y() >= form->height());
}

void TestTForm1::tabOrder_data() {
    QTest::addColumn<bool>("expanded");
    QTest::addColumn<QStringList>("order");
    // Row by row as on the screen: the pause box stands under the priority box.
    QTest::newRow("collapsed: the list below the edge is left out")
        << false << QStringList({"Button1", "CheckBox1", "CheckBox2", "Button2", "Button3"});
    QTest::newRow("expanded") << true
                              << QStringList({"Button1", "CheckBox1", "CheckBox2", "Button2",
                                              "Button3", "ListBox1"});
}

void TestTForm1::tabOrder() {
    QFETCH(bool, expanded);
    QFETCH(QStringList, order);
    // Expanded and collapsed again before the collapsed row, so the order follows each change.
    for (int click = 0; click < (expanded ? 1 : 2); ++click)
        QTest::mouseClick(control<QPushButton>(*form, "Button2"), Qt::LeftButton);
    QStringList seen;
    QWidget* widget = control<QPushButton>(*form, "Button1");
    do {
        if (widget->focusPolicy() & Qt::TabFocus) seen.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != control<QPushButton>(*form, "Button1"));
    QCOMPARE(seen, order);
}

void TestTForm1::collapsingMovesTheFocusOffTheList() {
    auto* expand = control<QPushButton>(*form, "Button2");
    QTest::mouseClick(expand, Qt::LeftButton);
    listBox()->setFocus();
    QCOMPARE(form->focusWidget(), listBox());
    expand->click();  // as a shortcut or assistive technology would, leaving the focus alone
    QCOMPARE(form->height(), TForm1::kCollapsedHeight);
    QCOMPARE(form->focusWidget(), control<QWidget>(*form, "Button3"));
}

void TestTForm1::expandButtonTogglesHeight() {
    auto* expand = control<QPushButton>(*form, "Button2");
    for (const int expected :
         {TForm1::kExpandedHeight, TForm1::kCollapsedHeight, TForm1::kExpandedHeight}) {
        QTest::mouseClick(expand, Qt::LeftButton);
        QCOMPARE(form->height(), expected);
        QCOMPARE(form->width(), TForm1::kClientWidth);
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QCOMPARE(expand->text(), QStringLiteral("Расширить"));
    }
}

void TestTForm1::rightClickOpensPopupMenu_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("on the list box") << "ListBox1";
    QTest::newRow("on the start button") << "Button1";
    QTest::newRow("on a check box") << "CheckBox2";
    QTest::newRow("on the window itself") << "";
}

void TestTForm1::rightClickOpensPopupMenu() {
    QFETCH(QString, target);
    QTest::mouseClick(control<QPushButton>(*form, "Button2"), Qt::LeftButton);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));

    QWidget* widget = target.isEmpty() ? form : control<QWidget>(*form, target);
    if (auto* listBox = qobject_cast<QListWidget*>(widget)) widget = listBox->viewport();
    const QPoint position(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->mapToGlobal(position));
    QApplication::sendEvent(widget, &event);

    auto* menu = control<QMenu>(*form, "PopupMenu1");
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().first()->objectName(), QStringLiteral("N1"));
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("О программе"));
    menu->close();
    QTRY_VERIFY(!menu->isVisible());
}

void TestTForm1::shiftF10OpensPopupMenuOverTheFocusedControl() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    auto* bench = control<QPushButton>(*form, "Button3");
    bench->setFocus();
    QTest::keyClick(bench, Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = control<QMenu>(*form, "PopupMenu1");
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), bench->mapToGlobal(bench->rect().center()));
    QCOMPARE(menu->activeAction(), control<QAction>(*form, "N1"));
    menu->close();
    QTRY_VERIFY(!menu->isVisible());
}

// Modal to this window, and open as soon as the menu entry returns: the box runs no event loop
// of its own.
void TestTForm1::aboutEntryShowsAboutBoxModally() {
    TAboutBox about;
    form->setAboutBox(&about);
    form->show();
    // A box that ran an event loop of its own would hold the trigger until closed.
    QTimer::singleShot(5s, &about, &QDialog::reject);
    control<QAction>(*form, "N1")->trigger();
    QVERIFY(about.isVisible());
    QCOMPARE(QApplication::activeModalWidget(), &about);
    QCOMPARE(about.windowModality(), Qt::WindowModal);
    QCOMPARE(about.parentWidget(), form);
    QTest::keyClick(&about, Qt::Key_Return);
    QCOMPARE(about.result(), int(QDialog::Accepted));
    QVERIFY(!about.isVisible());
}

// Opened in the pause after test 5, the box stays open while the run adds its remaining lines.
// Should the box hold the run, it is closed after a while so that the test ends, and fails.
void TestTForm1::runGoesOnBehindAnOpenAboutBox() {
    TAboutBox about;
    form->setAboutBox(&about);
    form->show();
    int linesWhenOpened = 0;
    atLine(QStringLiteral("test 5"), [&] {
        linesWhenOpened = listBox()->count();
        control<QAction>(*form, "N1")->trigger();
        QTimer::singleShot(10s, &about, &QDialog::reject);
    });
    runToEnd();
    QVERIFY(linesWhenOpened > 0);
    QVERIFY2(about.isVisible(), "the run waited for the about box to close");
    QCOMPARE(lines(*listBox()), expectedLines(true));
    about.accept();
}

void TestTForm1::showingTheWindowShowsBanner() {
    TrekForm banner;
    form->setBanner(&banner);
    QVERIFY(!banner.isVisible());
    form->show();
    QVERIFY(banner.isVisible());
}

void TestTForm1::runListsEveryLineOfOneRun() {
    QSignalSpy measured(form, &TForm1::resultsMeasured);
    runToEnd();
    QListWidget* list = listBox();
    QCOMPARE(lines(*list), expectedLines(true));
    // A line added while the list has no focus does not become its current line, which would
    // tell assistive technology of a focus that is not there; the newest becomes current when
    // the list gets the focus, for the arrow keys. None is selected.
    QCOMPARE(list->currentRow(), -1);
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(list, &focusIn);
    QCOMPARE(list->currentRow(), list->count() - 1);
    QVERIFY(list->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(measured.size(), 2);
    QCOMPARE(measured.at(0).at(0).toBool(), false);  // when the run starts
    QCOMPARE(measured.at(1).at(0).toBool(), true);   // when it has completed
    // Lines are 13 pixels apart.
    QCOMPARE(list->visualItemRect(list->item(1)).top() - list->visualItemRect(list->item(0)).top(),
             13);
}

// The run is held in its clock measurement until the window has looked at its list.
void TestTForm1::runLinesAppearWhileRunning() {
    QSemaphore measuring;
    QSemaphore looked;
    platform->duringSleep = [&](std::uint32_t milliseconds) {
        if (milliseconds != 1000) return;
        measuring.release();
        looked.acquire();
    };
    listBox()->addItem(QStringLiteral("a line of the previous run"));
    clickStart();
    QTRY_VERIFY(measuring.available() > 0);
    QCOMPARE(lines(*listBox()),
             QStringList({QStringLiteral("Опеределение частоты процессора...")}));
    looked.release();
    QTRY_VERIFY(!form->runInProgress());
}

void TestTForm1::runFollowsCheckBoxes_data() {
    QTest::addColumn<bool>("raisedPriority");
    QTest::addColumn<bool>("pauses");
    QTest::addColumn<int>("expectedRaises");
    QTest::addColumn<int>("expectedPauses");
    QTest::newRow("both ticked (as at start)") << true << true << 1 << kTestCount - 1;
    QTest::newRow("priority only") << true << false << 1 << 0;
    QTest::newRow("pauses only") << false << true << 0 << kTestCount - 1;
    QTest::newRow("neither") << false << false << 0 << 0;
}

void TestTForm1::runFollowsCheckBoxes() {
    QFETCH(bool, raisedPriority);
    QFETCH(bool, pauses);
    QFETCH(int, expectedRaises);
    QFETCH(int, expectedPauses);

    control<QCheckBox>(*form, "CheckBox1")->setChecked(raisedPriority);
    control<QCheckBox>(*form, "CheckBox2")->setChecked(pauses);
    runToEnd();

    QCOMPARE(platform->count("save"), 1);
    QCOMPARE(platform->count("raise"), expectedRaises);
    QCOMPARE(platform->count("restore"), 1);
    // The window waits out its pauses in its event loop, never in a blocking sleep.
    QCOMPARE(platform->count("sleep 5000"), 0);
    QCOMPARE(lines(*listBox()).count(kPauseLine), expectedPauses);
}

void TestTForm1::secondClickDuringRunIsIgnored() {
    control<QCheckBox>(*form, "CheckBox2")->setChecked(false);
    QList<Qt::CursorShape> cursors;
    for (const char* line : {"Опеределение частоты процессора...", "test 4", "Завершено..."})
        atLine(QString::fromUtf8(line), [this, &cursors] {
            clickStart();
            cursors.append(form->cursor().shape());
        });
    runToEnd();
    // The busy cursor is the run's sign in the collapsed window.
    QCOMPARE(cursors, QList<Qt::CursorShape>(3, Qt::BusyCursor));
    QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);

    QCOMPARE(platform->count("save"), 1);
    QCOMPARE(platform->count("sleep 1000"), 1);
    QCOMPARE(lines(*listBox()), expectedLines(false));

    // Once the run is over the button starts the next one.
    runToEnd();
    QCOMPARE(platform->count("save"), 2);
}

void TestTForm1::anotherRunHoldingTheMachineStopsTheRunWithAMessage() {
    platform->lockResult = {MachineLockResult::State::Busy, {1u, 4321}};
    clickStart();
    QVERIFY(!form->runInProgress());
    QCOMPARE(platform->count("save"), 0);
    QVERIFY(lines(*listBox()).isEmpty());
    QCOMPARE(platform->overrideAsked, geteuid() == 0);
    auto* box = form->findChild<QMessageBox*>(QStringLiteral("MachineBusyBox"));
    QVERIFY(box != nullptr);
    QTRY_VERIFY(box->isVisible());
    const QString holder = QStringLiteral("другой запуск теста (пользователь %1, процесс 4321)")
                               .arg(QString::fromStdString(platform::userName(1)));
    QVERIFY2(box->text().contains(holder), qPrintable(box->text()));
    box->accept();

    // Root goes past another user's run without a message.
    platform->lockResult = {MachineLockResult::State::Overridden, {1u, 4321}};
    runToEnd();
    QCOMPARE(platform->count("save"), 1);
    QTRY_VERIFY(form->findChild<QMessageBox*>(QStringLiteral("MachineBusyBox")) == nullptr);

    // Once the machine is free the button runs, and the run lets the machine go at its end.
    platform->lockResult = {};
    runToEnd();
    QCOMPARE(platform->count("save"), 2);
    QCOMPARE(platform->machineReleases, 2);
}

void TestTForm1::runFillsTheTableHandedIn() {
    constexpr std::uint32_t kUntouched = 0xFFFFFFFFu;
    for (ResultRow& row : *benchResults) row.fill(kUntouched);
    runToEnd();
    for (const ResultRow& row : *benchResults)
        QVERIFY(std::find(row.begin(), row.end(), kUntouched) == row.end());
}

void TestTForm1::pauseBoxIsReadAtEachPause_data() {
    QTest::addColumn<bool>("tickedAtStart");
    QTest::addColumn<QString>("changedAt");
    QTest::addColumn<int>("expectedPauses");
    QTest::newRow("unticked at the first pause") << true << kPauseLine << 1;
    QTest::newRow("ticked when test 3 starts") << false << "test 3" << 6;  // after tests 3 to 8
}

void TestTForm1::pauseBoxIsReadAtEachPause() {
    QFETCH(bool, tickedAtStart);
    QFETCH(QString, changedAt);
    QFETCH(int, expectedPauses);
    auto* pauseBox = control<QCheckBox>(*form, "CheckBox2");
    pauseBox->setChecked(tickedAtStart);
    atLine(changedAt, [pauseBox] { pauseBox->setChecked(!pauseBox->isChecked()); });
    runToEnd();
    QCOMPARE(lines(*listBox()).count(kPauseLine), expectedPauses);
}

void TestTForm1::windowStaysUsableDuringAPause() {
    TForm2 comparison;
    form->setComparisonWindow(&comparison);
    form->setPauseLength(10s);
    QElapsedTimer clock;
    atLine(kPauseLine, [&] {
        // Well inside the 10-second pause.
        QTimer::singleShot(50, form, [&] {
            clickStart();
            QTest::mouseClick(control<QPushButton>(*form, "Button2"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(*form, "Button3"), Qt::LeftButton);
            // Closing ends the pause and the run, which is checked below as well.
            clock.start();
            form->close();
        });
    });
    runToEnd();
    QVERIFY(clock.isValid());
    QCOMPARE(platform->count("save"), 1);  // the second "Начать тест" was ignored
    QCOMPARE(form->height(), TForm1::kExpandedHeight);  // "Расширить" worked
    QVERIFY(comparison.isVisible());                    // and "Bench" did
    QVERIFY2(clock.elapsed() < 5000, "closing did not end the pause");
}

void TestTForm1::closingDuringRunEndsIt_data() {
    QTest::addColumn<QString>("closedAt");
    QTest::addColumn<int>("testsTimed");
    QTest::newRow("before the clock measurement") << "Опеределение частоты процессора..." << 0;
    QTest::newRow("before test 4") << "test 4" << 4;
    QTest::newRow("during the first pause") << kPauseLine << 1;
}

// The run ends at its next step: the kernel being timed finishes, no further test, pause or
// line follows, the priorities go back, and no comparison window opens for the closed program.
void TestTForm1::closingDuringRunEndsIt() {
    QFETCH(QString, closedAt);
    QFETCH(int, testsTimed);
    TForm2 comparison;
    form->setComparisonWindow(&comparison);
    platform->current = {5, 0, 0};
    QSignalSpy closed(form, &TForm1::closed);
    QSignalSpy measured(form, &TForm1::resultsMeasured);
    form->show();
    QStringList linesAtClose;
    atLine(closedAt, [&] {
        linesAtClose = lines(*listBox());
        form->close();
    });
    runToEnd();

    QCOMPARE(closed.count(), 1);
    QCOMPARE(kernelCalls, testsTimed * kRunsPerTest);
    QCOMPARE(lines(*listBox()), linesAtClose);
    QCOMPARE(platform->count("sleep 1000"), testsTimed > 0 ? 1 : 0);
    QCOMPARE(platform->count("restore"), 1);
    QCOMPARE(platform->calls.back(), std::string("restore"));
    QCOMPARE(platform->current.niceValue, 5);
    QVERIFY(!comparison.isVisible());
    // Half a run's results are never taken for measured ones.
    QCOMPARE(measured.size(), 1);
    QCOMPARE(measured.at(0).at(0).toBool(), false);
}

void TestTForm1::comparisonOpensBesideTheMainWindow_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QPoint>("place");
    // The main window's frame at its designed place: 230/126, 389 × 362 (frame 4 px each side,
    // title bar 30); the comparison window's 751 × 507.
    QTest::newRow("wide screen: to the right") << QSize(1920, 1080) << QPoint(627, 126);
    QTest::newRow("tall screen: below") << QSize(1280, 1024) << QPoint(230, 496);
    QTest::newRow("small screen: below, over as little as fits")
        << QSize(1024, 768) << QPoint(230, 261);
}

void TestTForm1::comparisonOpensBesideTheMainWindow() {
    QFETCH(QSize, screen);
    QFETCH(QPoint, place);
    QCOMPARE(placeBeside(QSize(751, 507), QRect(230, 126, 389, 362), QRect(QPoint(0, 0), screen)),
             place);
}

QTEST_MAIN(TestTForm1)
#include "tst_TForm1.moc"
