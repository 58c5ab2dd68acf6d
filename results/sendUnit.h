#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// TForm3, the system information dialog: four lines describing the machine, saved with the
// running machine's result table as a result file of one record. Only a completed run's results
// are saved: before one, and while a run is overwriting the table, "Ок" says there is nothing
// to save yet, so no file of zeros or of half a run is ever shared as measured.
//
// Created once at start-up and only hidden when closed, so the four texts and the last file
// name chosen stay between openings. Each time it opens, a line left empty is filled with what
// the machine says about itself; lines with text are left as they are.

#include <QDialog>
#include <functional>

#include "platform/machineDescription.h"
#include "record/cpuRecordUnit.h"

class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm3 : public QDialog {
    Q_OBJECT

  public:
    // `benchResults` is the table "Ок" saves as it stands at that moment; it must outlive the
    // dialog.
    explicit TForm3(const ResultTable& benchResults, QWidget* parent = nullptr);

    // The record "Ок" writes: the four texts, each cut to its first 128 characters, and a copy
    // of the whole result table.
    TCpuRecord assembleRecord() const;

    // Where the empty lines are filled from when the dialog opens; the running machine unless
    // replaced (tests put in a fixed description).
    using MachineDescriber = std::function<platform::MachineDescription()>;
    void setMachineDescriber(MachineDescriber describer);

  public slots:
    // Whether the result table holds a completed run's results (the main window says so when a
    // run starts and when it completes); false until told otherwise.
    void setResultsMeasured(bool complete) { resultsMeasured_ = complete; }

  signals:
    // A result file was written (the file's path, UTF-8 as the save dialog gave it).
    void saved(const QString& file);

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private slots:
    // Asks for a file name (cancelling writes nothing), writes the file, reports a failure with
    // the message box "Ошибка записи" and a success with a box naming the file (over the window
    // that opened the dialog, without an event loop of its own), and closes the dialog in every
    // case. Without measured
    // results it only says so, in a box over the dialog that leaves a run going on, and the
    // dialog stays open with its texts.
    void Button1Click();
    // Closes the dialog; nothing is written.
    void Button2Click();

  private:
    void buildPanel();
    void createSaveDialog();
    void fillEmptyLines();
    void explainNothingToSave();
    void confirmSaved(const QString& file);

    const ResultTable& benchResults_;
    MachineDescriber describeMachine_ = [] { return platform::describeMachine(); };
    bool resultsMeasured_ = false;

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QFileDialog* sd1 = nullptr;  // made when first needed
};
