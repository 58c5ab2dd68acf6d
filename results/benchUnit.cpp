// Layer korvex_ui: the windows; includes Qt and every layer.

#include "results/benchUnit.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QPainter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/testTableUnit.h"
#include "platform/codePage.h"
#include "results/comparisonListUnit.h"
#include "results/sendUnit.h"
#include "ui/controlsUnit.h"
#include "ui/picturesUnit.h"
#include "ui/windowRecallUnit.h"

namespace {

constexpr QSize kClientSize{735, 439};
constexpr int kToolBarHeight = 29;
constexpr int kSeparatorWidth = 8;
constexpr int kBarHeight = 14;
// The longest the result folder's reading keeps the window system's events waiting.
constexpr std::chrono::milliseconds kReadingSlice{10};

const QColor kOwnAverageColour(128, 255, 232);
const QColor kOtherAverageColour(232, 255, 128);
const QColor kOwnBestColour(128, 0, 0);
const QColor kOtherBestColour(0, 128, 0);
const QColor kFailedTextColour(255, 0, 0);

// The letters of the test buttons must read on a pressed button too, which the style draws a
// shade darker than the tool bar (on a dark palette, lighter): measured against that shade they
// read on both.
QColor pressedButtonShade(const QColor& window) {
    return window.lightness() < 128 ? window.lighter(115) : window.darker(115);
}

// A tool bar with etched lines along its top and bottom edges.
class EdgedToolBar final : public QToolBar {
  public:
    using QToolBar::QToolBar;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QToolBar::paintEvent(event);
        QPainter painter(this);
        const int right = width() - 1;
        const int bottom = height() - 1;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(0, 0, right, 0);
        painter.drawLine(0, bottom - 1, right, bottom - 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(0, 1, right, 1);
        painter.drawLine(0, bottom, right, bottom);
    }
};

// What the comparison lacks without `folder` and how to get it, its name shown whole.
QString missingFolderHintText(const std::filesystem::path& folder) {
    return QStringLiteral(
               "Нет папки %1 — создайте её и положите туда файлы *.dat с результатами "
               "других машин.")
        .arg(QString::fromStdString(platform::printableText(folder.string())));
}

QToolBar* makeToolBar(QToolBar* bar, const char* name) {
    bar->setObjectName(QString::fromLatin1(name));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(kToolBarHeight);
    bar->setIconSize(QSize(16, 16));
    return bar;
}

// A picture button named for assistive technology, which cannot read the picture.
QToolButton* addButton(QToolBar* bar, const char* name, const QIcon& image, bool checkable,
                       const QString& accessibleName) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(accessibleName);
    button->setIcon(image);
    button->setAutoRaise(true);
    button->setCheckable(checkable);
    button->setFixedSize(23, 22);
    bar->addWidget(button);
    return button;
}

QFrame* addSeparator(QToolBar* bar, const char* name) {
    auto* separator = new QFrame(bar);
    separator->setObjectName(QString::fromLatin1(name));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedSize(kSeparatorWidth, 22);
    bar->addWidget(separator);
    return separator;
}

}  // namespace

TForm2::TForm2(const std::filesystem::path& resultFolder, QWidget* parent) : QWidget(parent) {
    useProgramAccessibleRoles();
    setFont(standardWindowFont());

    buildToolBars();
    buildList();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar2);
    layout->addWidget(ToolBar1);
    layout->addWidget(Panel1, 1);

    resize(kClientSize);
    setWindowTitle(QString::fromUtf8(kComparisonCaption));
    FormCreate(resultFolder);
}

// Hidden while its records still exist: hiding relays out the list, whose rows point into them,
// and QWidget's own destructor would hide the window only after they are gone.
TForm2::~TForm2() {
    hide();
    if (showWhenRead_) QApplication::restoreOverrideCursor();
}

QByteArray testButtonName(int test) {
    if (test < kTestCount) return "ToolButton" + QByteArray::number(test + 4);
    return "TestButton" + QByteArray::number(testNumber(test));
}

void TForm2::buildToolBars() {
    const QList<QIcon> imageList1 =
        toolButtonImages(devicePixelRatioF(), palette().color(QPalette::ButtonText),
                         pressedButtonShade(palette().color(QPalette::Window)));
    ToolBar2 = makeToolBar(new QToolBar(this), "ToolBar2");
    ToolBar2->setAccessibleName(QStringLiteral("Сведения"));
    ToolButton14 = addButton(ToolBar2, "ToolButton14", imageList1.at(kTestCount + 2), false,
                             QStringLiteral("Заполнение информации"));
    ToolButton15 = addSeparator(ToolBar2, "ToolButton15");
    ToolButton16 = addButton(ToolBar2, "ToolButton16", imageList1.at(kTestCount + 3), false,
                             QStringLiteral("О программе"));
    connect(ToolButton14, &QToolButton::clicked, this, &TForm2::ToolButton14Click);
    connect(ToolButton16, &QToolButton::clicked, this, &TForm2::ToolButton16Click);

    ToolBar1 = makeToolBar(new EdgedToolBar(this), "ToolBar1");
    ToolBar1->setAccessibleName(QStringLiteral("Единица и тест"));
    // The hints name the unit buttons; assistive technology reads them as descriptions too.
    const QString cyclesHint = QStringLiteral("Количество тактов процессора");
    ToolButton1 = addButton(ToolBar1, "ToolButton1", imageList1.at(0), true, cyclesHint);
    ToolButton1->setToolTip(cyclesHint);
    ToolButton1->setChecked(true);
    const QString millisecondsHint = QStringLiteral("Количество миллисекунд");
    ToolButton2 = addButton(ToolBar1, "ToolButton2", imageList1.at(1), true, millisecondsHint);
    ToolButton2->setToolTip(millisecondsHint);
    ToolButton3 = addSeparator(ToolBar1, "ToolButton3");
    connect(ToolButton1, &QToolButton::clicked, this, &TForm2::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TForm2::ToolButton2Click);

    // Each test button is named after its test, as the caption the button chooses names it.
    const QString captionPrefix = QString::fromUtf8(kComparisonCaption) + QStringLiteral(" - ");
    for (int test = 0; test < kTestCount; ++test) {
        const QByteArray name = testButtonName(test);
        const QString testName =
            QString::fromUtf8(comparisonCaption(testNumber(test))).mid(captionPrefix.size());
        QToolButton* button =
            addButton(ToolBar1, name.constData(), imageList1.at(test + 2), true, testName);
        connect(button, &QToolButton::clicked, this,
                [this, test] { selectTest(testNumber(test)); });
        testButtons_[static_cast<std::size_t>(test)] = button;
    }
    testButtons_[0]->setChecked(true);
}

void TForm2::buildList() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    ListView1 = new ComparisonListView(Panel1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("Сравнение систем"));
    model_ = new ComparisonModel(this);
    ListView1->setModel(model_);
    ListView1->setItemDelegate(new CustomDrawDelegate(
        [this](QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) {
            return ListView1CustomDrawSubItem(painter, option, index);
        },
        ListView1));
    for (std::size_t column = 0; column < kComparisonColumns.size(); ++column)
        ListView1->setColumnWidth(static_cast<int>(column), kComparisonColumns[column].width);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->addWidget(ListView1);
    missingFolderHint_ = new ListNote(*ListView1, *Panel1);
    missingFolderHint_->setObjectName(QStringLiteral("MissingFolderHint"));
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!missingFolderHint_->isHidden())
        announceNewChild(QAccessible::queryAccessibleInterface(missingFolderHint_));
}

void TForm2::FormCreate(const std::filesystem::path& resultFolder) {
    Systems.clear();
    SelectedTest = 1;
    std::error_code error;
    resultFolder_ = std::filesystem::absolute(resultFolder, error);
    missingFolderHint_->setText(missingFolderHintText(resultFolder_));
    folderReader_ = std::make_unique<ResultFolderReader>(resultFolder, reading_);
    readingTimer_ = new QTimer(this);
    connect(readingTimer_, &QTimer::timeout, this, &TForm2::readResultFolderSlice);
    readingTimer_->start(0);
    OwnSystem = makeOwnSystem();
}

void TForm2::readResultFolderSlice() {
    if (!folderReader_->readSlice(std::chrono::steady_clock::now() + kReadingSlice)) return;
    readingTimer_->stop();
    const bool folderMissing = folderReader_->folderError() == std::errc::no_such_file_or_directory;
    missingFolderHint_->setVisible(folderMissing);
    missingFolderHint_->place();
    folderReader_.reset();
    Systems = std::move(reading_);
    if (showWhenRead_) {
        showWhenRead_ = false;
        QApplication::restoreOverrideCursor();
        RebuildList();
        // Whoever asked for the window raised it while it was still hidden.
        bringWindowBack(*this);
    } else if (model_->rowCount() > 0) {
        RebuildList();  // rows built before the folder was read lack its records
    }
}

void TForm2::setSystemInformationDialog(TForm3* dialog) {
    systemInformationDialog_ = dialog;
    connect(dialog, &TForm3::saved, this, &TForm2::takeSavedFile);
}

// The folder is read anew, as at creation: the rows keep pointing at the records read before
// until the new ones are complete. A file saved while the folder is still being read is left to
// that reading.
void TForm2::takeSavedFile(const QString& file) {
    const std::filesystem::path saved(QFile::encodeName(file).toStdString());
    std::error_code error;
    if (!resultFolderRead() || !isResultFileName(saved.filename().string()) ||
        !std::filesystem::equivalent(saved.parent_path(), resultFolder_, error))
        return;
    reading_.clear();
    folderReader_ = std::make_unique<ResultFolderReader>(resultFolder_, reading_);
    readingTimer_->start(0);
}

void TForm2::setVisible(bool visible) {
    if (visible && !resultFolderRead()) {
        if (!showWhenRead_) QApplication::setOverrideCursor(Qt::BusyCursor);
        showWhenRead_ = true;
        return;
    }
    if (!visible && showWhenRead_) {
        showWhenRead_ = false;
        QApplication::restoreOverrideCursor();
    }
    QWidget::setVisible(visible);
}

std::uint32_t TForm2::barScale() const { return model_->barScale(); }

BenchUnit TForm2::chosenUnit() const {
    return ToolButton1->isChecked() ? BenchUnit::Cycles : BenchUnit::Milliseconds;
}

void TForm2::RebuildList() {
    if (const char* caption = comparisonCaption(SelectedTest))
        setWindowTitle(QString::fromUtf8(caption));
    std::uint64_t leftOut = 0;
    model_->setRows(
        withinMemory(
            Systems, leftOut,
            [this] { return buildComparisonRows(Systems, OwnSystem, SelectedTest, chosenUnit()); }),
        chosenUnit());
    missingFolderHint_->place();
}

bool TForm2::ListView1CustomDrawSubItem(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    if (index.column() != kBenchColumn) return true;
    const ComparisonRow& row = model_->row(index.row());
    const BenchUnit unit = chosenUnit();
    const std::uint32_t average = averageValue(row.summary, unit);
    const std::uint32_t best = bestValue(row.summary, unit);
    const int x = option.rect.left();
    const int y = option.rect.top();
    const int width = ListView1->columnWidth(kBenchColumn);

    // The list view draws nothing of this cell: it starts on the list's white. Painting stays
    // inside the cell, so that repainting a neighbouring region never leaves half a text.
    painter->save();
    painter->setClipRect(option.rect);
    QColor brush = ListView1->palette().color(QPalette::Base);
    painter->fillRect(option.rect, brush);
    if (average > 0) {
        brush = row.drawnAsOwnSystem ? kOwnAverageColour : kOtherAverageColour;
        painter->fillRect(QRect(x, y, barLength(width, average, model_->barScale()), kBarHeight),
                          brush);
    }
    if (best > 0) {
        brush = row.drawnAsOwnSystem ? kOwnBestColour : kOtherBestColour;
        painter->fillRect(QRect(x, y, barLength(width, best, model_->barScale()), kBarHeight),
                          brush);
    } else {
        const QString text = QString::fromUtf8(kTestFailedText);
        const QFontMetrics metrics(option.font);
        const QRect textBox(x + 2, y + 1, metrics.horizontalAdvance(text), metrics.height());
        painter->fillRect(textBox, brush);
        painter->setFont(option.font);
        // Pure red reads at 4:1 on white, less on the light bars: it is darkened just enough.
        painter->setPen(readableColour(kFailedTextColour, brush));
        painter->drawText(textBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    painter->restore();
    return false;
}

void TForm2::ToolButton1Click() {
    ToolButton1->setChecked(true);
    ToolButton2->setChecked(false);
    RebuildList();
    ListView1->viewport()->repaint();
}

void TForm2::ToolButton2Click() {
    ToolButton2->setChecked(true);
    ToolButton1->setChecked(false);
    RebuildList();
    ListView1->viewport()->repaint();
}

void TForm2::selectTest(int test) {
    SelectedTest = test;
    RebuildList();
    ListView1->viewport()->repaint();
    for (int other = 0; other < kTestCount; ++other)
        testButtons_[static_cast<std::size_t>(other)]->setChecked(testNumber(other) == test);
}

// The dialog opens centred over this window, placed as a rectangle: left to its own placing, a
// dialog shown before would open one title bar lower each time under a window manager. It is
// modal to this window only and has no event loop of its own, so a run goes on behind it.
void TForm2::ToolButton14Click() {
    if (systemInformationDialog_ == nullptr) return;
    const QSize size = systemInformationDialog_->size();
    systemInformationDialog_->setGeometry(QRect(centredOnScreen(geometry(), size), size));
    systemInformationDialog_->open();
}

void TForm2::ToolButton16Click() {
    if (openAboutBox_) openAboutBox_();
}
