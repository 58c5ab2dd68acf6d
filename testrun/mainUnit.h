#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// The main window: "Начать тест" starts a test run with the two check boxes as its options, the
// run's lines go into the list box, "Расширить" shows or hides that list, and a right click
// anywhere (or the Menu key, or Shift+F10) opens the pop-up menu with the about box.

#include <QWidget>
#include <chrono>
#include <optional>

#include "engine/sequenceUnit.h"
#include "record/resultTableUnit.h"

class BevelPanel;
class QAction;
class QCheckBox;
class QListWidget;
class QMenu;
class QPushButton;
class RunThread;
class TAboutBox;
class TForm2;
class TrekForm;

class TForm1 final : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 381;
    // Client heights: collapsed shows the buttons and options only (the list box lies below the
    // lower edge), expanded the whole client area. With the usual frame the window is 130 and
    // 362 pixels high.
    static constexpr int kCollapsedHeight = 96;
    static constexpr int kExpandedHeight = 328;
    static constexpr QPoint kDesignedPosition{230, 126};

    // `platform` and `tests` are what "Начать тест" runs: the system's services and the
    // benchmark tests in the program, fakes in tests. Both must outlive the window.
    TForm1(SequencePlatform& platform, ResultFileTests tests, QWidget* parent = nullptr);

    // The result table every run fills: the running machine's results, which the comparison
    // window reads. Set once at start-up, after the windows are created and before the first
    // run; it must outlive the window.
    void setBenchResults(ResultTable& benchResults);

    // The windows this one opens: the comparison window ("Bench" and the end of a run), the
    // about box (the pop-up menu's "О программе") and the banner (whenever this window is
    // shown). Set once at start-up, as they are created after this window; each must outlive
    // the window. One not set is not opened.
    void setComparisonWindow(TForm2* comparisonWindow) { comparisonWindow_ = comparisonWindow; }
    void setAboutBox(TAboutBox* aboutBox) { aboutBox_ = aboutBox; }
    void setBanner(TrekForm* banner) { banner_ = banner; }

    // How long the run's pauses last in this window: the run's own 5 s unless a test shortens
    // them.
    void setPauseLength(std::chrono::milliseconds length) { pauseLength_ = length; }

    // Whether a run started by "Начать тест" is still going (it runs on a thread of its own,
    // see RunThread; a run stopped by closing the window counts until its thread has ended).
    bool runInProgress() const;

  signals:
    // The user closed the main window: the program ends. A run in progress ends after the
    // test being timed, without further tests or pauses.
    void closed();
    // Whether the result table holds the results of a completed run: false when a run starts
    // (its table is being overwritten), true when it has completed. A run ended by closing the
    // window leaves it false.
    void resultsMeasured(bool complete);

  private slots:
    void FormCreate();
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void N1Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    SequenceOptions runOptions() const;
    void showHeight(int clientHeight);
    void addRunLine(const QString& line);
    void runFinished(bool completed);
    void placeComparisonWindow();
    // The message that another run holds the machine, naming its user and process.
    void showMachineBusy(const platform::LockHolder& holder);

    SequencePlatform& platform_;
    ResultFileTests tests_;
    ResultTable* benchResults_ = nullptr;
    TForm2* comparisonWindow_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
    TrekForm* banner_ = nullptr;
    // The window stays usable during a run, so a click on "Начать тест" can arrive while one is
    // going; such a click is ignored rather than starting a second run.
    RunThread* runThread_ = nullptr;
    bool comparisonPlaced_ = false;
    // On Wayland: a collapsed window is shown at its expanded height and collapses once that
    // frame has been painted (see showEvent).
    bool collapseAfterFirstFrame_ = false;
    std::optional<std::chrono::milliseconds> pauseLength_;

    QPushButton* Button1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    BevelPanel* Panel1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;
};
