// Layer korvex_ui: the windows; includes Qt and every layer.

#include "results/sendUnit.h"
#include "ui/controlsUnit.h"
#include "ui/keyboardUnit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <array>

namespace {

constexpr QSize kClientSize{347, 163};
constexpr int kPanelHeight = 121;
constexpr int kEditLeft = 152;
constexpr int kLabelGap = 2;

// The labels were laid out for a narrower font than the system sans: a label that would run into
// its edit box gets a horizontally condensed font, so it stays where it is and stays readable.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = placeControl(new QLabel(text, parent), name, {left, top, 0, 0});
    narrowFontToFit(*label, kEditLeft - kLabelGap - left, [label] {
        label->adjustSize();
        return label->width();
    });
    return label;
}

QLineEdit* makeEdit(QWidget* parent, const char* name, int top) {
    return placeControl(new QLineEdit(parent), name, {kEditLeft, top, 185, 21});
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, int left) {
    auto* button = placeControl(new QPushButton(text, parent), name, {left, 128, 75, 25});
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TForm3::TForm3(const ResultTable& benchResults, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      benchResults_(benchResults) {
    setFont(standardWindowFont());
    setFixedSize(kClientSize);

    buildPanel();
    Button1 = makeButton(this, "Button1", QStringLiteral("Ок"), 184);
    Button2 = makeButton(this, "Button2", QStringLiteral("Отмена"), 264);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Edit4);
    setTabOrder(Edit4, Button1);
    setTabOrder(Button1, Button2);

    setWindowTitle(QStringLiteral("Заполнение информации"));
}

// The save dialog lists its folder as soon as it exists, which in a folder of a hundred thousand
// result files takes seconds: it is made when "Ок" first needs it, never at start-up.
void TForm3::createSaveDialog() {
    sd1 = new QFileDialog(this, QStringLiteral("Сохранение информации"));
    sd1->setObjectName(QStringLiteral("sd1"));
    sd1->setOption(QFileDialog::DontUseNativeDialog);
    sd1->setOption(QFileDialog::DontConfirmOverwrite);
    sd1->setAcceptMode(QFileDialog::AcceptSave);
    sd1->setFileMode(QFileDialog::AnyFile);
    sd1->setNameFilter(QStringLiteral("Datafile (*.dat)"));
    sd1->setDefaultSuffix(QStringLiteral("dat"));
    // First proposal: the folder the comparison reads at start-up, when there is one.
    const QDir resultFolder(QDir::current().filePath(QString::fromUtf8(kResultFolder)));
    sd1->setDirectory(resultFolder.exists() ? resultFolder : QDir::current());
}

void TForm3::buildPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setGeometry(0, 0, kClientSize.width(), kPanelHeight);
    Label1 = makeLabel(Panel1, "Label1", QStringLiteral("Процесс:"), 16, 16);
    Label2 = makeLabel(Panel1, "Label2", QStringLiteral("Частота системной шины:"), 16, 40);
    Label3 = makeLabel(Panel1, "Label3", QStringLiteral("Объем памяти:"), 16, 64);
    Label4 = makeLabel(Panel1, "Label4", QStringLiteral("Операционная система:"), 16, 88);
    Edit1 = makeEdit(Panel1, "Edit1", 16);
    Edit2 = makeEdit(Panel1, "Edit2", 40);
    Edit3 = makeEdit(Panel1, "Edit3", 64);
    Edit4 = makeEdit(Panel1, "Edit4", 88);
    // Each label names its edit box for assistive technology.
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    Label3->setBuddy(Edit3);
    Label4->setBuddy(Edit4);
    // The visible label reads "Процесс:", which names the process, not the processor the line
    // describes: assistive technology hears what the line is for.
    Edit1->setAccessibleName(QStringLiteral("Процессор"));
}

TCpuRecord TForm3::assembleRecord() const {
    return describedRecord({Edit1->text().toStdString(), Edit2->text().toStdString(),
                            Edit3->text().toStdString(), Edit4->text().toStdString()},
                           benchResults_);
}

void TForm3::setMachineDescriber(MachineDescriber describer) {
    describeMachine_ = std::move(describer);
}

void TForm3::showEvent(QShowEvent* event) {
    fillEmptyLines();
    QDialog::showEvent(event);
}

// "Ок" is the dialog's default button without the default button's frame, so the dialog looks
// as laid out: Enter from the edit boxes, which leave it to the dialog, presses "Ок". On a
// focused button the application's EnterPressesFocusedButton (keyboardUnit.h) presses that
// button before the dialog sees the key. Escape cancels as "Отмена" does (QDialog).
void TForm3::keyPressEvent(QKeyEvent* event) {
    if (isEnterKey(*event))
        Button1->click();
    else
        QDialog::keyPressEvent(event);
}

void TForm3::fillEmptyLines() {
    QLineEdit* const edits[4] = {Edit1, Edit2, Edit3, Edit4};
    if (std::none_of(std::begin(edits), std::end(edits),
                     [](const QLineEdit* edit) { return edit->text().isEmpty(); }))
        return;
    const platform::MachineDescription machine = describeMachine_();
    for (std::size_t line = 0; line < machine.kLineCount; ++line) {
        if (!edits[line]->text().isEmpty()) continue;
        edits[line]->setText(QString::fromStdString(machine.line(line)));
        edits[line]->setCursorPosition(0);  // a long line shows its beginning
    }
}

void TForm3::Button1Click() {
    if (!resultsMeasured_) {
        explainNothingToSave();
        return;
    }
    if (sd1 == nullptr) createSaveDialog();
    if (sd1->exec() == QDialog::Accepted && !sd1->selectedFiles().isEmpty()) {
        const QByteArray fileName = QFile::encodeName(sd1->selectedFiles().constFirst());
        if (!saveRecordFile(std::filesystem::path(fileName.toStdString()), assembleRecord()).ok()) {
            QMessageBox failure(QMessageBox::Critical, QStringLiteral("Ошибка"),
                                QStringLiteral("Ошибка записи"), QMessageBox::Ok);
            failure.exec();
        } else {
            confirmSaved(sd1->selectedFiles().constFirst());
        }
    }
    close();
}

void TForm3::Button2Click() { close(); }

void TForm3::confirmSaved(const QString& file) {
    auto* notice = new QMessageBox(
        QMessageBox::Information, windowTitle(),
        QStringLiteral("Результаты сохранены в файл %1.").arg(QDir::toNativeSeparators(file)),
        QMessageBox::Ok, parentWidget() != nullptr ? parentWidget() : this);
    notice->setObjectName(QStringLiteral("savedNotice"));
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->open();
    emit saved(file);
}

// Opened without an event loop of its own, so that a run in progress goes on behind it.
void TForm3::explainNothingToSave() {
    auto* notice = new QMessageBox(
        QMessageBox::Information, windowTitle(),
        QStringLiteral("Сохранять пока нечего: результаты появятся, когда тест пройдёт до конца. "
                       "Введённые описания останутся в этом окне."),
        QMessageBox::Ok, this);
    notice->setObjectName(QStringLiteral("nothingToSave"));
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->open();
}
