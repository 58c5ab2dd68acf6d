// Layer korvex_ui: the windows; includes Qt and every layer.

#include "testrun/mainUnit.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "results/benchUnit.h"
#include "testrun/boutUnit.h"
#include "testrun/controlsUnit.h"
#include "testrun/keyboardUnit.h"
#include "testrun/reklamaUnit.h"
#include "testrun/windowRecallUnit.h"
#include "testrun/workAreaUnit.h"

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

// A screen reader hears of a new line as a new child of the list that carries the line's text.
// Qt's AT-SPI bridge sends no text with a name or value change of the list, and the current
// item's change is told only while the list has the focus.
void announceNewLine(QListWidget& listBox, int row) {
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&listBox);
    QAccessibleInterface* line = list != nullptr ? list->child(row) : nullptr;
    if (line == nullptr) return;
    QAccessibleEvent added(line, QAccessible::ObjectCreated);
    QAccessible::updateAccessibility(&added);
}

}  // namespace

// The run's lines go into the list box, each on the screen before the next kernel starts. The
// list lays its lines out on a timer and paints on the window's next frame, which would both
// come only after the kernel: the newest line is laid out and scrolled into view as it is
// added, and the list is painted right after the messages are processed. Nothing of this
// happens while a kernel is being timed. The newest line becomes the list's current item (not
// selected), so the arrow keys start from it, and is announced to assistive technology.
class TForm1::RunList final : public SequenceList {
  public:
    explicit RunList(TForm1& form) : form_(form), listBox_(*form.ListBox1) {}
    void clearLines() override { listBox_.clear(); }
    void appendLine(const std::string& line) override {
        listBox_.addItem(QString::fromStdString(line));
        const int row = listBox_.count() - 1;
        listBox_.setCurrentRow(row, QItemSelectionModel::NoUpdate);
        announceNewLine(listBox_, row);
        listBox_.scrollToBottom();
    }
    void repaintNow() override { listBox_.repaint(); }
    void processPendingMessages() override {
        QCoreApplication::processEvents();
        listBox_.repaint();
    }
    bool pauseNow(bool) override { return form_.CheckBox2->isChecked(); }
    void waitOutPause(std::uint32_t milliseconds, SequencePlatform&) override {
        form_.waitOutPause(milliseconds);
    }
    bool stopRequested() override { return form_.closedDuringRun_; }

  private:
    TForm1& form_;
    QListWidget& listBox_;
};

TForm1::TForm1(SequencePlatform& platform, TestTable tests, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      platform_(platform),
      tests_(tests) {
    setObjectName(QStringLiteral("Form1"));
    setFont(standardWindowFont());

    // Created in tab order.
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
    ListBox1->setItemDelegate(new FixedLineHeightDelegate(ListBox1));
    fitLines(ListBox1, tests_);
    CheckBox2 =
        placeControl(new QCheckBox(QStringLiteral("Приостанавливаться после каждого теста"), this),
                     "CheckBox2", {128, 32, 241, 17});
    CheckBox2->setChecked(true);
    fitCaption(CheckBox2);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("О программе"));
    N1->setObjectName(QStringLiteral("N1"));

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(N1, &QAction::triggered, this, &TForm1::N1Click);

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
// holds it past the wait, a message names that run and nothing starts.
void TForm1::Button1Click() {
    if (runInProgress_ || benchResults_ == nullptr) return;
    const QScopedValueRollback running(runInProgress_, true);
    // Root goes past another user's run, as the console does; the windows have no report to
    // say so in.
    if (const MachineLockResult lock = platform_.lockMachine(platform::currentUser() == 0);
        lock.state == MachineLockResult::State::Busy) {
        showMachineBusy(lock.holder);
        return;
    }
    const std::unique_ptr<SequencePlatform, void (*)(SequencePlatform*)> release(
        &platform_, [](SequencePlatform* system) { system->releaseMachine(); });
    closedDuringRun_ = false;
    RunList list(*this);
    emit resultsMeasured(false);
    runTestSequence(runOptions(), tests_, list, platform_, *benchResults_);
    if (closedDuringRun_) return;
    emit resultsMeasured(true);
    Button3Click();
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
// it has moves on to the control after it in that order, so the focus never goes out of sight.
void TForm1::showHeight(int clientHeight) {
    setFixedSize(kClientWidth, clientHeight);
    const bool listShown = clientHeight == kExpandedHeight;
    ListBox1->setFocusPolicy(listShown ? Qt::StrongFocus : Qt::NoFocus);
    if (!listShown && focusWidget() == ListBox1) CheckBox2->setFocus(Qt::TabFocusReason);
}

// The comparison of the running machine with the stored ones, rebuilt from the current results.
// Shown again after the main window was raised, or minimised since, it would stay out of sight.
void TForm1::Button3Click() {
    if (comparisonWindow_ == nullptr) return;
    comparisonWindow_->RebuildList();
    bringWindowBack(*comparisonWindow_);
}

void TForm1::N1Click() {
    if (aboutBox_ != nullptr) aboutBox_->openOwnedBy(this);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (runInProgress_) closedDuringRun_ = true;
    emit closed();
}

// Controls that have no menu of their own (all of them, the list box included) pass the right
// click on to the window.
void TForm1::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
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

void TForm1::waitOutPause(std::uint32_t milliseconds) {
    QEventLoop pause;
    QTimer::singleShot(pauseLength_.value_or(std::chrono::milliseconds(milliseconds)), &pause,
                       &QEventLoop::quit);
    connect(this, &TForm1::closed, &pause, &QEventLoop::quit);
    pause.exec();
}

SequenceOptions TForm1::runOptions() const {
    SequenceOptions options;
    options.raisePriority = CheckBox1->isChecked();
    options.pauseAfterEachTest = CheckBox2->isChecked();
    return options;
}
