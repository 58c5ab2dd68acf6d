#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// TForm2, the comparison window: the running machine beside the machines whose result files lie
// in the folder `cpus`, for one chosen test in cycles or milliseconds, sorted by the best run,
// with a bar for the average and the best run of each.
//
// The window owns the running machine's record OwnSystem, whose Results is BenchResults: the
// table the test run fills and the system information dialog saves. It is created at start-up
// and lives until the program ends; closing it only hides it.
//
// The result folder is read in slices of a few milliseconds between the window system's events,
// on the user-interface thread like everything else, so that no window waits for a folder of a
// hundred thousand files and the reading never runs while a kernel is being timed. Showing the
// window before the folder is read shows it as soon as the folder is read, with the busy cursor
// meanwhile.
//
// While the result folder is missing, a one-line note below the rows names it and says what to
// put into it; assistive technology hears of the note whenever the window is shown.

#include <QByteArray>
#include <QWidget>
#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "results/cpubenchUnit.h"

class QFrame;
class QModelIndex;
class QPainter;
class QStyleOptionViewItem;
class QTimer;
class QToolBar;
class QToolButton;
class ComparisonListView;
class ListNote;
class ComparisonModel;

// The object name of test `test`'s tool button (from 0): ToolButton4 to ToolButton13 for the
// result file's tests, whose names the window has always had, and "TestButton" with the test's
// number for any test after them, so that no test's button takes the name of another control.
QByteArray testButtonName(int test);
class TForm3;

class TForm2 : public QWidget {
    Q_OBJECT

  public:
    // Starts reading every result file of `resultFolder` (relative to the current directory
    // now) once.
    explicit TForm2(const std::filesystem::path& resultFolder = kResultFolder,
                    QWidget* parent = nullptr);
    ~TForm2() override;

    // The running machine's result table, all zero at start.
    ResultTable& BenchResults() { return OwnSystem.Results; }

    // The dialog ToolButton14 opens modally, and what ToolButton16 calls to show the about box
    // modally; both are created after this window.
    // A file the dialog saves into the result folder joins the comparison at once.
    void setSystemInformationDialog(TForm3* dialog);
    void setAboutBoxOpener(std::function<void()> openAboutBox) {
        openAboutBox_ = std::move(openAboutBox);
    }

    // The records of the result folder; empty until it has been read.
    const std::deque<TCpuRecord>& loadedSystems() const { return Systems; }
    bool resultFolderRead() const { return folderReader_ == nullptr; }
    std::uint32_t barScale() const;  // BarScale of the current rows
    int selectedTest() const { return SelectedTest; }

    // Paints the "Bench" cell of a row (column 5) and answers false; answers true for every
    // other column, which the list view draws itself.
    bool ListView1CustomDrawSubItem(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const;

    TCpuRecord OwnSystem;

    // Showing waits for the result folder to be read, with the busy cursor meanwhile.
    void setVisible(bool visible) override;

  protected:
    void showEvent(QShowEvent* event) override;

  public slots:
    // Sets the caption for the chosen test and builds the rows anew from the loaded records,
    // OwnSystem and the chosen unit. Neither shows nor repaints the window.
    void RebuildList();

  private slots:
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton14Click();
    void ToolButton16Click();

  private:
    void FormCreate(const std::filesystem::path& resultFolder);
    void readResultFolderSlice();
    // Reads the result folder again when `file` (as the save dialog named it) is one of its
    // result files, so a machine just saved there is compared at once.
    void takeSavedFile(const QString& file);
    void buildToolBars();
    void buildList();
    void selectTest(int test);
    BenchUnit chosenUnit() const;

    std::deque<TCpuRecord> Systems;
    int SelectedTest = 1;

    // The records come into a list of their own and join Systems only once the whole folder is
    // read, so rows built meanwhile never point at records that a failing file takes back.
    std::deque<TCpuRecord> reading_;
    std::unique_ptr<ResultFolderReader> folderReader_;  // null once the folder is read
    std::filesystem::path resultFolder_;                // made absolute at creation
    QTimer* readingTimer_ = nullptr;
    bool showWhenRead_ = false;

    TForm3* systemInformationDialog_ = nullptr;
    std::function<void()> openAboutBox_;

    QToolBar* ToolBar2 = nullptr;
    QToolButton* ToolButton14 = nullptr;
    QFrame* ToolButton15 = nullptr;
    QToolButton* ToolButton16 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QFrame* ToolButton3 = nullptr;
    std::array<QToolButton*, kTestCount> testButtons_{};  // ToolButton4 to ToolButton13
    QFrame* Panel1 = nullptr;
    ComparisonListView* ListView1 = nullptr;
    ComparisonModel* model_ = nullptr;
    ListNote* missingFolderHint_ = nullptr;  // shown while the result folder is missing
};
