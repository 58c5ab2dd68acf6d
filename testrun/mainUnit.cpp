// Layer korvex_ui: the windows; includes Qt and every layer.

#include "testrun/mainUnit.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "kernel/workAreaUnit.h"
#include "results/benchUnit.h"
#include "testrun/boutUnit.h"
#include "testrun/reklamaUnit.h"
#include "ui/controlsUnit.h"
#include "ui/keyboardUnit.h"
#include "ui/runThreadUnit.h"
#include "ui/windowRecallUnit.h"

namespace {

constexpr int kListLineHeight = 13;

// Lays the list box's lines out 13 pixels apart, whatever the style's item margins.
class FixedLineHeightDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kListLineHeight};
    }
};

// The check boxes' widths were laid out for a font a little narrower than the system's and a
// check mark with less space beside it; a check box is widened, never narrowed, until its
// whole caption shows.
void fitCaption(QCheckBox* checkBox) {
    checkBox->resize(std::max(checkBox->width(), checkBox->sizeHint().width()), checkBox->height());
}

// The longest lines of a run are the transform tests' labels, wider at the window's font than
// the list box: the list gets a face of its own, condensed just enough for the longest label to
// read in full without a scroll bar. Each line keeps its own width, so a line that is wider all
// the same (a larger system font) brings a horizontal scroll bar rather than being cut.
void fitLines(QListWidget* listBox, TestTable tests) {
    listBox->setUniformItemSizes(false);
    const int textMargins =
        2 * (listBox->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, listBox) + 1);
    // A run's 42 lines take the vertical scroll bar, which takes its width from the lines.
    const int scrollBar = listBox->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                        listBox->verticalScrollBar());
    const int room = listBox->width() - 2 * listBox->frameWidth() - scrollBar - textMargins;
    narrowFontToFit(*listBox, room, [listBox, tests] {
        const QFontMetrics metrics = listBox->fontMetrics();
        int width = 0;
        for (const TestEntry& test : tests)
            width = std::max(width, metrics.horizontalAdvance(QString::fromUtf8(test.label)));
        return width;
    });
}

// A screen reader hears of a new line as a new child of the list.
void announceNewLine(QListWidget& listBox, int row) {
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&listBox);
    if (list != nullptr) announceNewChild(list->child(row));
}

}  // namespace

TForm1::TForm1(SequencePlatform& platform, ResultFileTests tests, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      platform_(platform),
      tests_(tests) {
    setObjectName(QStringLiteral("Form1"));
    useProgramAccessibleRoles();
    setFont(standardWindowFont());

    // Created in the designed order.
    Button1 = placeControl(new QPushButton(QStringLiteral("Начать тест"), this), "Button1",
                           {8, 8, 97, 41});
    CheckBox1 = placeControl(new QCheckBox(QStringLiteral("Повышенный приоритет"), this),
                             "CheckBox1", {128, 8, 145, 17});
    CheckBox1->setChecked(true);
    fitCaption(CheckBox1);
    Panel1 =
        placeControl(new BevelPanel(Bevel::Lowered, Bevel::None, this), "Panel1", {8, 56, 361, 2});
    Button2 = placeControl(new QPushButton(QStringLiteral("Расширить"), this), "Button2",
                           {8, 64, 185, 25});
    Button3 =
        placeControl(new QPushButton(QStringLiteral("Bench"), this), "Button3", {192, 64, 177, 25});
    ListBox1 = placeControl(new QListWidget(this), "ListBox1", {8, 120, 361, 201});
    ListBox1->setAccessibleName(QStringLiteral("Ход теста"));
    ListBox1->installEventFilter(this);
    ListBox1->setItemDelegate(new FixedLineHeightDelegate(ListBox1));
    fitLines(ListBox1, tests_);
    CheckBox2 =
        placeControl(new QCheckBox(QStringLiteral("Приостанавливаться после каждого теста"), this),
                     "CheckBox2", {128, 32, 241, 17});
    CheckBox2->setChecked(true);
    fitCaption(CheckBox2);
    // The controls are created in their designed order, which puts the pause box last although
    // it stands under the priority box: Tab follows the screen instead, row by row.
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, Button2);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("О программе"));
    N1->setObjectName(QStringLiteral("N1"));

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(N1, &QAction::triggered, this, &TForm1::N1Click);

    runThread_ = new RunThread(this);
    connect(runThread_, &RunThread::linesCleared, ListBox1, &QListWidget::clear);
    connect(runThread_, &RunThread::lineAdded, this, &TForm1::addRunLine);
    connect(runThread_, &RunThread::stepTaken, ListBox1, [this] { ListBox1->repaint(); });
    connect(runThread_, &RunThread::finished, this, &TForm1::runFinished);
    connect(CheckBox2, &QCheckBox::toggled, runThread_, &RunThread::setPausing);

    setWindowTitle(QStringLiteral("Тестирование"));
    move(kDesignedPosition);
    setFixedSize(kClientWidth, kExpandedHeight);
    FormCreate();
}

void TForm1::setBenchResults(ResultTable& benchResults) { benchResults_ = &benchResults; }

void TForm1::FormCreate() {
    showHeight(kCollapsedHeight);
    BuildKernelWorkArea();
}

void TForm1::FormShow() {
    if (banner_ != nullptr) banner_->show();
}

// A run starts only once it holds the machine's lock; while another run (of either program)
// holds it past the wait, a message names that run and nothing starts. The check boxes are read
// here, once: the run's work is fixed from its start (only the pause box is read again, at each
// pause).
void TForm1::Button1Click() {
    if (runThread_->inProgress() || benchResults_ == nullptr) return;
    // Root goes past another user's run, as the console does; the windows have no report to
    // say so in.
    if (const MachineLockResult lock = platform_.lockMachine(platform::currentUser() == 0);
        lock.state == MachineLockResult::State::Busy) {
        showMachineBusy(lock.holder);
        return;
    }
    emit resultsMeasured(false);
    runThread_->setPausing(CheckBox2->isChecked());
    runThread_->start(runOptions(), tests_, platform_, *benchResults_, pauseLength_);
    // The sign of a run going on that shows also in the collapsed window, whose list is hidden.
    setCursor(Qt::BusyCursor);
}

// A new line reaches the screen and assistive technology without taking the focus: it becomes
// the list's current line (where the arrow keys start) only while the list has the focus, and
// is otherwise made current when the list gets it.
void TForm1::addRunLine(const QString& line) {
    ListBox1->addItem(line);
    const int row = ListBox1->count() - 1;
    if (ListBox1->hasFocus()) ListBox1->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    announceNewLine(*ListBox1, row);
    ListBox1->scrollToBottom();
}

void TForm1::runFinished(bool completed) {
    platform_.releaseMachine();
    unsetCursor();
    if (!completed) return;
    emit resultsMeasured(true);
    if (comparisonWindow_ == nullptr) return;
    comparisonWindow_->RebuildList();
    placeComparisonWindow();
    bringWindowBackUnlessInDialog(*comparisonWindow_);
}

void TForm1::showMachineBusy(const platform::LockHolder& holder) {
    const QString process =
        QStringLiteral(" (%1)").arg(QString::fromStdString(lockHolderTextRussian(holder)));
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Тестирование"),
        QStringLiteral("На этой машине уже идёт другой запуск теста%1. Два запуска сразу "
                       "искажают результаты друг друга: дождитесь его окончания и начните тест "
                       "снова.")
            .arg(process),
        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("MachineBusyBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TForm1::Button2Click() {
    showHeight(height() == kCollapsedHeight ? kExpandedHeight : kCollapsedHeight);
}

// The collapsed window's list lies below its lower edge: it leaves the Tab order, and the focus
// it has moves back to the control before it, "Bench" (not on round to "Начать тест", where a
// stray Space would start a run), so the focus never goes out of sight.
void TForm1::showHeight(int clientHeight) {
    setFixedSize(kClientWidth, clientHeight);
    const bool listShown = clientHeight == kExpandedHeight;
    ListBox1->setFocusPolicy(listShown ? Qt::StrongFocus : Qt::NoFocus);
    if (!listShown && focusWidget() == ListBox1) Button3->setFocus(Qt::BacktabFocusReason);
}

// The comparison of the running machine with the stored ones, rebuilt from the current results.
// Shown again after the main window was raised, or minimised since, it would stay out of sight.
void TForm1::Button3Click() {
    if (comparisonWindow_ == nullptr) return;
    comparisonWindow_->RebuildList();
    placeComparisonWindow();
    bringWindowBack(*comparisonWindow_);
}

// The first time it opens, the comparison window is placed beside this one rather than over the
// run's lines; afterwards it stays where the user put it.
void TForm1::placeComparisonWindow() {
    if (comparisonPlaced_ || screen() == nullptr) return;
    comparisonPlaced_ = true;
    comparisonWindow_->move(placeBeside(comparisonWindow_->frameGeometry().size(), frameGeometry(),
                                        screen()->availableGeometry()));
}

void TForm1::N1Click() {
    if (aboutBox_ != nullptr) aboutBox_->openOwnedBy(this);
}

// On Wayland the compositor, not the program, places a window: each time it is shown, when its
// first frame arrives, within the screen for the size of that frame; it keeps the window's
// top-left corner when the window grows. Placed for the collapsed height, the window may open where
// "Расширить" grows it past the screen's lower edge. Its first frame is therefore the expanded
// window, so that the compositor makes room for all of it, and the window collapses right after.
void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous() &&
        QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        height() == kCollapsedHeight) {
        setFixedSize(kClientWidth, kExpandedHeight);
        collapseAfterFirstFrame_ = true;
    }
    FormShow();
}

// The frame is handed to the compositor once every widget of it has painted, before the event
// loop runs again.
void TForm1::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!collapseAfterFirstFrame_) return;
    collapseAfterFirstFrame_ = false;
    QTimer::singleShot(0, this, [this] { showHeight(kCollapsedHeight); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    runThread_->stop();
    emit closed();
}

bool TForm1::runInProgress() const { return runThread_->inProgress(); }

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox1 && event->type() == QEvent::FocusIn && ListBox1->count() > 0 &&
        ListBox1->currentRow() < 0)
        ListBox1->setCurrentRow(ListBox1->count() - 1, QItemSelectionModel::NoUpdate);
    return QWidget::eventFilter(watched, event);
}

// Controls that have no menu of their own (all of them, the list box included) pass the right
// click on to the window.
// Opened from the keyboard, the menu starts on its first entry, so that Enter chooses it.
void TForm1::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
    if (event->reason() == QContextMenuEvent::Keyboard) PopupMenu1->setActiveAction(N1);
    event->accept();
}

// Shift+F10 opens the pop-up menu as the Menu key does, over the focused control (or the
// window's middle when that control lies below the collapsed window's edge).
void TForm1::keyPressEvent(QKeyEvent* event) {
    if (!isContextMenuKey(*event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    const QWidget* focused = focusWidget() != nullptr ? focusWidget() : this;
    QPoint place = focused->mapTo(this, focused->rect().center());
    if (!rect().contains(place)) place = rect().center();
    QContextMenuEvent menuRequest(QContextMenuEvent::Keyboard, place, mapToGlobal(place));
    contextMenuEvent(&menuRequest);
}

SequenceOptions TForm1::runOptions() const {
    SequenceOptions options;
    options.raisePriority = CheckBox1->isChecked();
    options.pauseAfterEachTest = CheckBox2->isChecked();
    return options;
}
