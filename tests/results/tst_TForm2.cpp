// The comparison window: its controls, the order of its rows, and the pixels of its bars.

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include "results/benchUnit.h"
#include "results/sendUnit.h"
#include "support/qtTestSupport.h"
#include "support/records.h"
#include "ui/controlsUnit.h"
#include "ui/keyboardUnit.h"

namespace {

const QColor kOwnAverage(128, 255, 232);
const QColor kOtherAverage(232, 255, 128);
const QColor kOwnBest(128, 0, 0);
const QColor kOtherBest(0, 128, 0);
const QColor kWhite(255, 255, 255);

// A stretch of a bar: pixels up to `end` (exclusive, from the bar's left edge) in `colour`.
struct Stretch {
    int end;
    QColor colour;
};

}  // namespace

class TestTForm2 : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void startsWithCaptionBenchAndCyclesOfTest1();
    void rowsOfEveryMachineAscendingWithOwnRowInItsPlace();
    void testButtonsKeepExactlyOnePressedAndSetTheCaption_data();
    void testButtonsKeepExactlyOnePressedAndSetTheCaption();
    void unitButtonsResortAndRescale();
    void barsFollowColumnWidthsAndScale();
    void failedTestWritesRedTextOverTheAverageBar();
    void withoutResultFilesOnlyTheOwnRowFailed();
    void readsCpusRelativeToTheCurrentDirectory();
    void hintNamesTheResultFolderOnlyWhileItIsMissing_data();
    void hintNamesTheResultFolderOnlyWhileItIsMissing();
    void hintGoesOnceAFileIsSavedIntoANewResultFolder();
    void showingBeforeTheFolderIsReadWaitsWithTheBusyCursor();
    void toolButton14OpensTheDialogAndToolButton16TheAboutBox();
    void enterOnAFocusedTestButtonChoosesItsTest();
    void noTestButtonTakesTheNameOfAnotherControl();

  private:
    TForm2& openWindow(const QString& folder);
    QTreeView* listView() { return control<QTreeView>(*window_, "ListView1"); }
    QToolButton* button(int number) {
        return control<QToolButton>(*window_, QStringLiteral("ToolButton%1").arg(number));
    }
    QStringList column(int column);
    QImage shot() { return listView()->viewport()->grab().toImage(); }
    int rowTop(int row) { return listView()->visualRect(listView()->model()->index(row, 5)).top(); }
    int benchLeft() { return listView()->header()->sectionViewportPosition(5); }
    // Checks each stretch's first and last pixel column, top to bottom, and white after the bar
    // unless it reaches the column's edge, where the grid line is.
    void expectBar(const QImage& image, int row, const std::vector<Stretch>& stretches,
                   bool whiteAfter = true);
    // Checks "Тест не пройден" in red with its top-left corner at (x + 2, y + 1) on an opaque
    // `background`, pixel for pixel against the same text drawn so on that background.
    void expectFailedText(const QImage& image, int x, int y, int width, const QColor& background);

    QLabel* hint() { return control<QLabel>(*window_, "MissingFolderHint"); }

    QTemporaryDir folder_;
    std::unique_ptr<TForm2> window_;
};

void TestTForm2::init() {
    QVERIFY(folder_.isValid());
    const std::filesystem::path cpus = folder_.filePath(QStringLiteral("cpus")).toStdString();
    std::filesystem::create_directories(cpus);
    // min 200, average 400 cycles; 40 ms
    QVERIFY(saveRecordFile(cpus / "a.dat", testMachine("Alpha", halfAndHalf(200, 600), runsOf(40)))
                .ok());
    // one failed run: min 0, average 450 cycles, 45 ms
    ResultRow failedCycles = runsOf(500), failedMs = runsOf(50);
    failedCycles[3] = failedMs[3] = 0;
    QVERIFY(saveRecordFile(cpus / "b.dat", testMachine("Beta", failedCycles, failedMs)).ok());
    // min 700, average 800: the largest average
    QVERIFY(saveRecordFile(cpus / "c.DAT", testMachine("Gamma", halfAndHalf(700, 900), runsOf(10)))
                .ok());
    // a stored record that calls itself "Ваша система"
    QVERIFY(
        saveRecordFile(cpus / "d.dat", testMachine("Ваша система", runsOf(600), runsOf(20))).ok());
}

void TestTForm2::cleanup() { window_.reset(); }

TForm2& TestTForm2::openWindow(const QString& folder) {
    window_ = std::make_unique<TForm2>(folder.toStdString());
    if (!QTest::qWaitFor([this] { return window_->resultFolderRead(); }))
        QTest::qFail("the result folder is still being read", __FILE__, __LINE__);
    // the running machine: min 100, average 300 cycles; 30 ms
    ResultTable& results = window_->BenchResults();
    results[0] = halfAndHalf(100, 500);
    results[1] = runsOf(30);
    return *window_;
}

QStringList TestTForm2::column(int column) {
    QStringList texts;
    QAbstractItemModel* model = listView()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}

void TestTForm2::expectBar(const QImage& image, int row, const std::vector<Stretch>& stretches,
                           bool whiteAfter) {
    const int x = benchLeft();
    const int middle = rowTop(row) + 7;
    int start = 0;
    for (const Stretch& stretch : stretches) {
        for (int at : {start, stretch.end - 1}) {
            QCOMPARE(image.pixelColor(x + at, middle), stretch.colour);
            QCOMPARE(image.pixelColor(x + at, rowTop(row)), stretch.colour);
            QCOMPARE(image.pixelColor(x + at, rowTop(row) + 13), stretch.colour);
            QCOMPARE(image.pixelColor(x + at, rowTop(row) + 14), kWhite);  // 14 pixels high
        }
        start = stretch.end;
    }
    if (whiteAfter) QCOMPARE(image.pixelColor(x + start, middle), kWhite);
}

void TestTForm2::expectFailedText(const QImage& image, int x, int y, int width,
                                  const QColor& background) {
    const QString text = QStringLiteral("Тест не пройден");
    const QFontMetrics metrics(listView()->font());
    QVERIFY(2 + metrics.horizontalAdvance(text) < width);
    QImage expected(width, 14, QImage::Format_RGB32);
    expected.fill(background);
    {
        QPainter painter(&expected);
        painter.setFont(listView()->font());
        painter.setPen(readableColour(QColor(255, 0, 0), background));
        painter.drawText(QRect(2, 1, metrics.horizontalAdvance(text), metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    QCOMPARE(image.copy(x, y, width, 14).convertToFormat(QImage::Format_RGB32), expected);
    int inked = 0, red = 0;  // the reference really holds red text
    for (int ty = 0; ty < 14; ++ty)
        for (int tx = 0; tx < width; ++tx) {
            const QColor pixel = expected.pixelColor(tx, ty);
            inked += pixel != background;
            red += pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80;
        }
    QVERIFY2(inked > 100 && red > 5, qPrintable(QStringLiteral("%1 %2").arg(inked).arg(red)));
}

void TestTForm2::startsWithCaptionBenchAndCyclesOfTest1() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    QCOMPARE(window.windowTitle(), QStringLiteral("Bench"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString faults = layoutFaults(window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
    QVERIFY(button(1)->isChecked());
    QVERIFY(!button(2)->isChecked());
    QCOMPARE(button(1)->toolTip(), QStringLiteral("Количество тактов процессора"));
    QCOMPARE(button(2)->toolTip(), QStringLiteral("Количество миллисекунд"));
    for (int number = 4; number <= 13; ++number) {
        QCOMPARE(button(number)->isChecked(), number == 4);
        QVERIFY(button(number)->toolTip().isEmpty());
        QVERIFY(!button(number)->icon().isNull());
    }
    QVERIFY(!button(14)->icon().isNull());
    QVERIFY(!button(16)->icon().isNull());
    control<QWidget>(window, "ToolButton3");
    control<QWidget>(window, "ToolButton15");
    QCOMPARE(listView()->model()->rowCount(), 0);

    // Every column and its whole title show without scrolling.
    const QStringList titles = {"CPU", "FSB", "Memory", "OS", "Value", "Bench"};
    const QHeaderView* header = listView()->header();
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(listView()->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        QVERIFY(header->fontMetrics().horizontalAdvance(titles[c]) < header->sectionSize(c));
    }
    QVERIFY(header->length() <= listView()->viewport()->width());
    QCOMPARE(window.loadedSystems().size(), 4u);
}

void TestTForm2::rowsOfEveryMachineAscendingWithOwnRowInItsPlace() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    window.RebuildList();
    QCOMPARE(window.windowTitle(),
             QStringLiteral("Bench - кодирование Хэмминга с использованием 8-разрядных регистров"));
    QCOMPARE(column(0), QStringList({"Beta", "Ваша система", "Alpha", "Ваша система", "Gamma"}));
    QCOMPARE(column(1), QStringList({"133", "", "133", "133", "133"}));
    QCOMPARE(column(2), QStringList({"512 МБ", "", "512 МБ", "512 МБ", "512 МБ"}));
    QCOMPARE(column(3), QStringList({"Linux", "", "Linux", "Linux", "Linux"}));
    QCOMPARE(column(4), QStringList({"0", "100", "200", "600", "700"}));
    QCOMPARE(column(5), QStringList({"", "", "", "", ""}));
    QCOMPARE(window.barScale(), 800u);
}

void TestTForm2::testButtonsKeepExactlyOnePressedAndSetTheCaption_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("caption");
    QTest::newRow("8-bit decoding")
        << 5 << "Bench - декодирование Хэмминга с использованием 8-разрядных регистров";
    QTest::newRow("32-bit encoding")
        << 6 << "Bench - кодирование Хэмминга с использованием 32-разрядных регистров";
    QTest::newRow("32-bit decoding")
        << 7 << "Bench - декодирование Хэмминга с использованием 32-разрядных регистров";
    QTest::newRow("MMX encoding") << 8 << "Bench - кодирование Хэмминга с использованием MMX";
    QTest::newRow("MMX decoding") << 9 << "Bench - декодирование Хэмминга с использованием MMX";
    QTest::newRow("SSE encoding") << 10 << "Bench - кодирование Хэмминга с использованием SSE";
    QTest::newRow("SSE2 decoding") << 11 << "Bench - декодирование Хэмминга с использованием SSE2";
    QTest::newRow("FPU transform") << 12 << "Bench - YUV и Фурье преобразования (FPU)";
    QTest::newRow("SSE2 transform") << 13 << "Bench - YUV и Фурье преобразования (SSE2)";
    QTest::newRow("back to 8-bit encoding")
        << 4 << "Bench - кодирование Хэмминга с использованием 8-разрядных регистров";
}

void TestTForm2::testButtonsKeepExactlyOnePressedAndSetTheCaption() {
    QFETCH(int, number);
    QFETCH(QString, caption);
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(button(13), Qt::LeftButton);  // a test other than the one clicked next
    if (number == 13) QTest::mouseClick(button(4), Qt::LeftButton);
    QTest::mouseClick(button(number), Qt::LeftButton);
    QTest::mouseClick(button(number), Qt::LeftButton);  // a second click leaves it pressed
    QCOMPARE(window.windowTitle(), caption);
    QCOMPARE(window.selectedTest(), number - 3);
    for (int other = 4; other <= 13; ++other) QCOMPARE(button(other)->isChecked(), other == number);
    QCOMPARE(listView()->model()->rowCount(), 5);
    if (number != 4) QCOMPARE(column(4), QStringList({"0", "0", "0", "0", "0"}));
}

void TestTForm2::unitButtonsResortAndRescale() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.RebuildList();
    QTest::mouseClick(button(2), Qt::LeftButton);
    QVERIFY(!button(1)->isChecked());
    QVERIFY(button(2)->isChecked());
    QCOMPARE(column(0), QStringList({"Beta", "Gamma", "Ваша система", "Ваша система", "Alpha"}));
    QCOMPARE(column(4), QStringList({"0", "10", "20", "30", "40"}));
    QCOMPARE(window.barScale(), 45u);
    // 250 × 10 / 45 = 55.6: Gamma's best and average bar are both 55 pixels long
    expectBar(shot(), 1, {{55, kOtherBest}});
    QTest::mouseClick(button(2), Qt::LeftButton);
    QVERIFY(button(2)->isChecked());

    QTest::mouseClick(button(1), Qt::LeftButton);
    QVERIFY(button(1)->isChecked());
    QVERIFY(!button(2)->isChecked());
    QCOMPARE(column(4), QStringList({"0", "100", "200", "600", "700"}));
    QCOMPARE(window.barScale(), 800u);
}

void TestTForm2::barsFollowColumnWidthsAndScale() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.RebuildList();

    // scale 800, width 250: length = 250 × value / 800, truncated
    QImage image = shot();
    expectBar(image, 1, {{31, kOwnBest}, {93, kOwnAverage}});       // 100 and 300
    expectBar(image, 2, {{62, kOtherBest}, {125, kOtherAverage}});  // 200 and 400
    expectBar(image, 3, {{187, kOwnBest}});  // a stored "Ваша система": 600 and 600
    expectBar(image, 4, {{218, kOtherBest}, {249, kOtherAverage}}, false);  // 700 and 800
    QCOMPARE(image.pixelColor(benchLeft() + 249, rowTop(4) + 7), QColor(0xD0, 0xD0, 0xD0));

    // Wider CPU moves the bars right; a wider Bench column makes them longer.
    const int left = benchLeft();
    listView()->setColumnWidth(0, listView()->columnWidth(0) + 50);
    listView()->setColumnWidth(5, 400);
    image = shot();
    QCOMPARE(benchLeft(), left + 50);
    expectBar(image, 1, {{50, kOwnBest}, {150, kOwnAverage}});
    expectBar(image, 2, {{100, kOtherBest}, {200, kOtherAverage}});
}

void TestTForm2::failedTestWritesRedTextOverTheAverageBar() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.RebuildList();
    const QImage image = shot();
    const int x = benchLeft();
    const int y = rowTop(0);
    // Beta: one failed run, so best 0 and average 450: a light bar of 250 × 450 / 800 = 140
    QCOMPARE(image.pixelColor(x, y + 7), kOtherAverage);
    QCOMPARE(image.pixelColor(x + 139, y + 7), kOtherAverage);
    QCOMPARE(image.pixelColor(x + 140, y + 7), kWhite);

    expectFailedText(image, x, y, 140, kOtherAverage);
}

void TestTForm2::withoutResultFilesOnlyTheOwnRowFailed() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("no-such-folder")));
    window.BenchResults() = ResultTable{};
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.RebuildList();
    QCOMPARE(column(0), QStringList({"Ваша система"}));
    QCOMPARE(column(4), QStringList({"0"}));
    QCOMPARE(window.barScale(), 1u);
    const QImage image = shot();
    const int x = benchLeft();
    const int y = rowTop(0);
    QCOMPARE(image.pixelColor(x, y + 7), kWhite);  // no bar
    expectFailedText(image, x, y, 249, kWhite);
}

void TestTForm2::readsCpusRelativeToTheCurrentDirectory() {
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder_.path()));
    TForm2 window;
    QDir::setCurrent(previous);
    QTRY_VERIFY(window.resultFolderRead());
    QCOMPARE(window.loadedSystems().size(), 4u);
}

void TestTForm2::hintNamesTheResultFolderOnlyWhileItIsMissing_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("hinted");
    QTest::newRow("folder missing") << "missing" << true;
    QTest::newRow("empty folder") << "empty" << false;
    QTest::newRow("folder with result files") << "cpus" << false;
    QTest::newRow("a file in the folder's place") << "file" << false;
}

// The note stands under the only row, across the list, and never takes the focus (how a screen
// reader hears of it: tst_screenReader_x11).
void TestTForm2::hintNamesTheResultFolderOnlyWhileItIsMissing() {
    QFETCH(QString, folder);
    QFETCH(bool, hinted);
    QVERIFY(QDir(folder_.path()).mkpath(QStringLiteral("empty")));
    QFile file(folder_.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QString path = folder_.filePath(folder);
    TForm2& window = openWindow(path);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.RebuildList();  // the rows come after the window, and the note moves under them
    QCOMPARE(hint()->isVisible(), hinted);
    if (!hinted) return;
    QVERIFY2(hint()->text().startsWith(QStringLiteral("Нет папки %1 ").arg(path)),
             qPrintable(hint()->text()));
    QVERIFY(hint()->text().contains(QStringLiteral("*.dat")));
    QCOMPARE(hint()->focusPolicy(), Qt::NoFocus);
    // In the tree assistive technology walks, beside the list, read by its text.
    QAccessibleInterface* note = QAccessible::queryAccessibleInterface(hint());
    QCOMPARE(note->text(QAccessible::Name), hint()->text());
    QVERIFY(note->parent()->indexOfChild(note) >= 0);
    const QWidget* viewport = listView()->viewport();
    const QRect area(viewport->mapFromGlobal(hint()->mapToGlobal(QPoint(0, 0))), hint()->size());
    QCOMPARE(area.top(),
             rowTop(0) + listView()->visualRect(listView()->model()->index(0, 0)).height());
    QCOMPARE(area.left(), 0);
    QCOMPARE(area.width(), viewport->width());
    QCOMPARE(area.height(), hint()->heightForWidth(area.width()));
    // One line at the window's designed width.
    QVERIFY(area.height() < 2 * hint()->fontMetrics().lineSpacing());
}

// Made in the save dialog, the folder holds the file just saved: the comparison reads it, and
// the note has nothing left to say.
void TestTForm2::hintGoesOnceAFileIsSavedIntoANewResultFolder() {
    const QString path = folder_.filePath(QStringLiteral("new"));
    TForm2& window = openWindow(path);
    TForm3 dialog(window.BenchResults());
    window.setSystemInformationDialog(&dialog);
    window.RebuildList();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(hint()->isVisible());
    QVERIFY(QDir(folder_.path()).mkdir(QStringLiteral("new")));
    const std::filesystem::path saved = (path + QStringLiteral("/mine.dat")).toStdString();
    QVERIFY(saveRecordFile(saved, testMachine("Mine", runsOf(300), runsOf(30))).ok());
    emit dialog.saved(QString::fromStdString(saved.string()));
    QTRY_COMPARE(window.loadedSystems().size(), 1u);
    QVERIFY(!hint()->isVisible());
}

void TestTForm2::showingBeforeTheFolderIsReadWaitsWithTheBusyCursor() {
    // As "Bench" does right after start-up: rebuild, then show.
    window_ = std::make_unique<TForm2>(folder_.filePath(QStringLiteral("cpus")).toStdString());
    window_->RebuildList();
    window_->show();
    QVERIFY(!window_->isVisible());
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    QTRY_VERIFY(window_->isVisible());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(column(0), QStringList({"Beta", "Ваша система", "Alpha", "Ваша система", "Gamma"}));
}

void TestTForm2::toolButton14OpensTheDialogAndToolButton16TheAboutBox() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    TForm3 dialog(window.BenchResults());
    window.setSystemInformationDialog(&dialog);
    int aboutBoxOpened = 0;
    window.setAboutBoxOpener([&] { ++aboutBoxOpened; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Modal to this window and open once the click returns: no event loop of its own.
    QTest::mouseClick(button(14), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.windowModality(), Qt::WindowModal);
    QCOMPARE(QApplication::activeModalWidget(), &dialog);
    dialog.close();

    QTest::mouseClick(button(16), Qt::LeftButton);
    QCOMPARE(aboutBoxOpened, 1);
}

// The program answers Enter on a focused tool button as Space (ui/keyboardUnit.h).
void TestTForm2::enterOnAFocusedTestButtonChoosesItsTest() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    EnterPressesFocusedButton enterKey;
    qApp->installEventFilter(&enterKey);
    button(12)->setFocus();
    QTest::keyClick(button(12), Qt::Key_Return);
    QCOMPARE(window.selectedTest(), 9);
    QVERIFY(button(12)->isChecked());
}

// Every test's button has a name of its own, the tests of a longer test table than the result
// file's included, and none is the name of a control the window has besides its test buttons.
void TestTForm2::noTestButtonTakesTheNameOfAnotherControl() {
    TForm2& window = openWindow(folder_.filePath(QStringLiteral("cpus")));
    QSet<QString> testButtons, others;
    for (int test = 0; test < kTestCount; ++test)
        testButtons.insert(QString::fromLatin1(testButtonName(test)));
    for (const QObject* child : window.findChildren<QObject*>())
        if (!child->objectName().isEmpty() && !testButtons.contains(child->objectName()))
            others.insert(child->objectName());
    QVERIFY(others.contains(QStringLiteral("ToolButton14")));
    QSet<QString> names;
    for (int test = 0; test < 4 * kTestCount; ++test) {
        const QString name = QString::fromLatin1(testButtonName(test));
        QVERIFY2(!others.contains(name), qPrintable(name));
        QVERIFY2(!names.contains(name), qPrintable(name));
        names.insert(name);
    }
    for (int test = 0; test < kTestCount; ++test)
        QCOMPARE(control<QToolButton>(window, QString::fromLatin1(testButtonName(test))),
                 button(test + 4));
}

QTEST_MAIN(TestTForm2)
#include "tst_TForm2.moc"
