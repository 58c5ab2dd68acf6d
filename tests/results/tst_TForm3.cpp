// The system information dialog: its controls, and saving, cancelling, failing to write and
// refusing to save without measured results, driven through its modal windows.

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "results/benchUnit.h"
#include "results/sendUnit.h"
#include "support/modalDriver.h"
#include "support/qtTestSupport.h"
#include "ui/keyboardUnit.h"

class TestTForm3 : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void controlsWhereTheyBelong();
    void saveDialogIsMadeOnlyWhenFirstNeeded();
    void okSavesTextsAndResultsAndAppendsTheExtension();
    void cancellingTheSaveDialogWritesNothingAndCloses();
    void cancelButtonWritesNothingAndKeepsTheTexts();
    void keys_data();
    void keys();
    void writeErrorShowsTheMessageAndClosesTheDialog();
    void saveOverAnExistingFileLeavesExactlyOneRecord();
    void openingFillsTheEmptyLinesFromTheMachineAndKeepsTypedOnes();
    void savedFileIsConfirmedAndComparedAtOnce_data();
    void savedFileIsConfirmedAndComparedAtOnce();
    // Last: a save dialog it wrongly asks for is cancelled by a driver left waiting.
    void okWithoutMeasuredResultsSavesNothing_data();
    void okWithoutMeasuredResultsSavesNothing();

  private:
    QLineEdit* edit(int number) {
        return control<QLineEdit>(*dialog_, QStringLiteral("Edit%1").arg(number));
    }
    QPushButton* button(int number) {
        return control<QPushButton>(*dialog_, QStringLiteral("Button%1").arg(number));
    }
    // Types `path` into the save dialog's file name box, as a person would, and presses its
    // accepting button.
    static void chooseFile(QFileDialog* saveDialog, const QString& path);
    // Opens the dialog, schedules `onSaveDialog` for the save dialog, and clicks "Ок".
    void clickOk(std::function<void(QFileDialog*)> onSaveDialog);

    std::unique_ptr<QTemporaryDir> folderOwner_;  // a fresh folder for every test
    QTemporaryDir* folder_ = nullptr;
    ResultTable results_{};
    std::unique_ptr<TForm3> dialog_;
};

void TestTForm3::init() {
    folderOwner_ = std::make_unique<QTemporaryDir>();
    folder_ = folderOwner_.get();
    QVERIFY(folder_->isValid());
    for (int row = 0; row < 20; ++row)
        for (int run = 0; run < 10; ++run) results_[row][run] = 1000u * row + run;
    dialog_ = std::make_unique<TForm3>(results_);
    dialog_->setResultsMeasured(true);
    // A machine that says nothing about itself, so the texts are only what a test types.
    dialog_->setMachineDescriber([] { return platform::MachineDescription{}; });
}

void TestTForm3::cleanup() {
    dialog_.reset();
    folderOwner_.reset();
}

void TestTForm3::chooseFile(QFileDialog* saveDialog, const QString& path) {
    saveDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog*>(saveDialog)->accept();  // QFileDialog::accept, by its public base
}

void TestTForm3::clickOk(std::function<void(QFileDialog*)> onSaveDialog) {
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    whenModal<QFileDialog>(onSaveDialog);
    QTest::mouseClick(button(1), Qt::LeftButton);
}

// Each label stands on its edit box's line, left of it, the lines one below the other in the
// panel, and the buttons below the panel, "Ок" first.
void TestTForm3::controlsWhereTheyBelong() {
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("Заполнение информации"));
    const QString faults = layoutFaults(*dialog_);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
    const auto* panel = control<QWidget>(*dialog_, "Panel1");
    const QStringList labels = {
        "Процесс:", "Частота системной шины:", "Объем памяти:", "Операционная система:"};
    for (int number = 1; number <= 4; ++number) {
        const auto* label = control<QLabel>(*dialog_, QStringLiteral("Label%1").arg(number));
        QCOMPARE(label->text(), labels[number - 1]);
        QCOMPARE(edit(number)->parentWidget(), panel);
        QCOMPARE(label->y(), edit(number)->y());
        QVERIFY(label->geometry().right() < edit(number)->x());
        if (number > 1) QVERIFY(edit(number)->y() > edit(number - 1)->geometry().bottom());
        QVERIFY(edit(number)->text().isEmpty());
    }
    QCOMPARE(button(1)->text(), QStringLiteral("Ок"));
    QCOMPARE(button(2)->text(), QStringLiteral("Отмена"));
    QVERIFY(button(1)->y() > panel->geometry().bottom());
    QCOMPARE(button(2)->y(), button(1)->y());
    QVERIFY(button(1)->x() < button(2)->x());
    QCOMPARE(edit(1)->nextInFocusChain(), edit(2));
    QCOMPARE(edit(4)->nextInFocusChain(), button(1));
}

void TestTForm3::saveDialogIsMadeOnlyWhenFirstNeeded() {
    QCOMPARE(dialog_->findChild<QFileDialog*>(), nullptr);
    QFileDialog* seen[2] = {};
    for (QFileDialog*& shown : seen)
        clickOk([&](QFileDialog* saveDialog) {
            shown = saveDialog;
            saveDialog->reject();
        });
    QVERIFY(seen[0] != nullptr);
    QCOMPARE(seen[1], seen[0]);
}

void TestTForm3::okSavesTextsAndResultsAndAppendsTheExtension() {
    edit(1)->setText(QString(300, QChar(u'Ж')));
    edit(2)->setText(QStringLiteral("200 МГц"));
    edit(3)->setText(QString());
    edit(4)->setText(QStringLiteral("Debian 12 €"));
    QFileDialog* seen = nullptr;
    clickOk([&](QFileDialog* saveDialog) {
        seen = saveDialog;
        chooseFile(saveDialog, folder_->filePath(QStringLiteral("my machine")));
    });
    QVERIFY(seen != nullptr);
    QCOMPARE(seen->objectName(), QStringLiteral("sd1"));
    QCOMPARE(seen->windowTitle(), QStringLiteral("Сохранение информации"));
    QCOMPARE(seen->nameFilters(), QStringList({"Datafile (*.dat)"}));
    QCOMPARE(seen->defaultSuffix(), QStringLiteral("dat"));
    QCOMPARE(seen->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(seen->testOption(QFileDialog::DontUseNativeDialog));
    QVERIFY(!dialog_->isVisible());

    QFile saved(folder_->filePath(QStringLiteral("my machine.dat")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QCOMPARE(bytes.size(), qsizetype{kRecordSize});
    TCpuRecord record;
    std::memcpy(&record, bytes.constData(), sizeof record);
    QCOMPARE(record.Cpu.Length, 128);
    QCOMPARE(descriptionText(record.Cpu), QString(128, QChar(u'Ж')).toStdString());
    QCOMPARE(descriptionText(record.Fsb), std::string("200 МГц"));
    QCOMPARE(record.Memory.Length, 0);
    QCOMPARE(descriptionText(record.Os), std::string("Debian 12 €"));
    QVERIFY(record.Results == results_);
}

void TestTForm3::cancellingTheSaveDialogWritesNothingAndCloses() {
    edit(1)->setText(QStringLiteral("Athlon"));
    clickOk([](QFileDialog* saveDialog) { saveDialog->reject(); });
    QVERIFY(!dialog_->isVisible());
    QVERIFY(QDir(folder_->path()).isEmpty());
    QCOMPARE(edit(1)->text(), QStringLiteral("Athlon"));
}

void TestTForm3::cancelButtonWritesNothingAndKeepsTheTexts() {
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    for (int number = 1; number <= 4; ++number) QTest::keyClicks(edit(number), "line");
    QTest::mouseClick(button(2), Qt::LeftButton);
    QVERIFY(!dialog_->isVisible());
    QVERIFY(QDir(folder_->path()).isEmpty());
    dialog_->show();
    for (int number = 1; number <= 4; ++number) QCOMPARE(edit(number)->text(), "line");
}

// Enter presses "Ок" from an edit box and, with the program's keys (ui/keyboardUnit.h), the
// focused button from a button; Escape cancels.
void TestTForm3::keys_data() {
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("asksForAFile");
    QTest::newRow("Enter in an edit box") << "Edit3" << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter in an edit box") << "Edit1" << int(Qt::Key_Enter) << true;
    QTest::newRow("Enter on a focused Отмена") << "Button2" << int(Qt::Key_Return) << false;
    QTest::newRow("Escape in an edit box") << "Edit2" << int(Qt::Key_Escape) << false;
}

void TestTForm3::keys() {
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(bool, asksForAFile);
    EnterPressesFocusedButton enterKey;
    qApp->installEventFilter(&enterKey);
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    auto* target = control<QWidget>(*dialog_, focused);
    target->setFocus();
    // A save dialog opened by the key is closed again; the dialog's end cancels the check.
    bool asked = false;
    QTimer::singleShot(200, dialog_.get(), [&asked] {
        if (auto* saveDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            asked = true;
            saveDialog->reject();
        }
    });
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(asked, asksForAFile);
    QVERIFY(!dialog_->isVisible());
    QVERIFY(QDir(folder_->path()).isEmpty());
}

void TestTForm3::writeErrorShowsTheMessageAndClosesTheDialog() {
    QFile plainFile(folder_->filePath(QStringLiteral("plain")));
    QVERIFY(plainFile.open(QIODevice::WriteOnly));
    plainFile.close();
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = dialog_.get();
    clickOk([&](QFileDialog* saveDialog) {
        whenModal<QMessageBox>([&](QMessageBox* box) {
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            owner = box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        });
        // a folder that is a plain file: nothing can be created inside it
        chooseFile(saveDialog, folder_->filePath(QStringLiteral("plain/x.dat")));
    });
    QCOMPARE(text, QStringLiteral("Ошибка записи"));
    QCOMPARE(title, QStringLiteral("Ошибка"));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(owner, nullptr);
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(QDir(folder_->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList({"plain"}));
}

void TestTForm3::saveOverAnExistingFileLeavesExactlyOneRecord() {
    const QString target = folder_->filePath(QStringLiteral("old.dat"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    clickOk([&](QFileDialog* saveDialog) { chooseFile(saveDialog, target); });
    QCOMPARE(QFileInfo(target).size(), qint64{kRecordSize});
    QCOMPARE(QDir(folder_->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList({"old.dat"}));
}

void TestTForm3::openingFillsTheEmptyLinesFromTheMachineAndKeepsTypedOnes() {
    int asked = 0;
    dialog_->setMachineDescriber([&] {
        ++asked;
        return platform::MachineDescription{"AMD EPYC", "", "24 ГБ", "Debian GNU/Linux 12"};
    });
    edit(3)->setText(QStringLiteral("512 МБ"));
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    QCOMPARE(edit(1)->text(), QStringLiteral("AMD EPYC"));
    QCOMPARE(edit(2)->text(), QString());  // unknown stays empty
    QCOMPARE(edit(3)->text(), QStringLiteral("512 МБ"));
    QCOMPARE(edit(4)->text(), QStringLiteral("Debian GNU/Linux 12"));

    edit(1)->clear();
    QTest::keyClicks(edit(1), "Athlon");
    QTest::mouseClick(button(2), Qt::LeftButton);
    dialog_->show();
    QCOMPARE(edit(1)->text(), QStringLiteral("Athlon"));
    QCOMPARE(asked, 2);  // the bus line was still empty, so the machine was asked again
    QCOMPARE(edit(2)->text(), QString());
}

void TestTForm3::okWithoutMeasuredResultsSavesNothing_data() {
    QTest::addColumn<QList<bool>>("toldMeasured");
    QTest::newRow("before any run") << QList<bool>{};
    QTest::newRow("before the first run has completed") << QList<bool>{false};
    QTest::newRow("during a run after a completed one") << QList<bool>{true, false};
}

// "Ок" explains, in a box over the dialog that needs no event loop of its own (a run goes on),
// and asks for no file; the dialog stays open with the typed texts.
void TestTForm3::okWithoutMeasuredResultsSavesNothing() {
    QFETCH(QList<bool>, toldMeasured);
    TForm3 dialog(results_);
    dialog.setMachineDescriber([] { return platform::MachineDescription{}; });
    for (const bool complete : toldMeasured) dialog.setResultsMeasured(complete);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(control<QLineEdit>(dialog, "Edit1"), "Athlon");
    // A save dialog wrongly asked for is cancelled, so the test fails rather than waits.
    whenModal<QFileDialog>([](QFileDialog* saveDialog) { saveDialog->reject(); });

    QTest::mouseClick(control<QPushButton>(dialog, "Button1"), Qt::LeftButton);
    auto* notice = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(notice != nullptr);
    QCOMPARE(notice->parentWidget(), &dialog);
    QCOMPARE(notice->windowModality(), Qt::WindowModal);
    QVERIFY(notice->text().startsWith(QStringLiteral("Сохранять пока нечего")));
    QCOMPARE(dialog.findChild<QFileDialog*>(), nullptr);
    notice->button(QMessageBox::Ok)->click();
    QTRY_COMPARE(dialog.findChild<QMessageBox*>(), nullptr);

    QVERIFY(dialog.isVisible());
    QCOMPARE(control<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("Athlon"));
}

void TestTForm3::savedFileIsConfirmedAndComparedAtOnce_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("compared");
    QTest::newRow("into the result folder") << "cpus/mine.dat" << 2;
    QTest::newRow("elsewhere") << "mine.dat" << 1;
    QTest::newRow("into the result folder, not a result file") << "cpus/mine.bin" << 1;
}

void TestTForm3::savedFileIsConfirmedAndComparedAtOnce() {
    QFETCH(QString, file);
    QFETCH(int, compared);
    QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("cpus")));
    QVERIFY(saveRecordFile(folder_->filePath(QStringLiteral("cpus/other.dat")).toStdString(),
                           emptyRecord())
                .ok());
    TForm2 comparison(folder_->filePath(QStringLiteral("cpus")).toStdString());
    QTRY_VERIFY(comparison.resultFolderRead());
    comparison.setSystemInformationDialog(dialog_.get());
    clickOk([&](QFileDialog* saveDialog) { chooseFile(saveDialog, folder_->filePath(file)); });

    auto* notice = dialog_->findChild<QMessageBox*>(QStringLiteral("savedNotice"));
    QVERIFY(notice != nullptr);
    QVERIFY2(notice->text().contains(folder_->filePath(file)), qPrintable(notice->text()));
    notice->accept();
    QTRY_VERIFY(comparison.resultFolderRead());
    QCOMPARE(static_cast<int>(comparison.loadedSystems().size()), compared);
}

QTEST_MAIN(TestTForm3)
#include "tst_TForm3.moc"
