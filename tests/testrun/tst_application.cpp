// What the start-up sets on the application: Qt's own texts in Russian whatever the locale.

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "testrun/applicationUnit.h"

class TestApplication : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void qtTextsAreRussian();
};

void TestApplication::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    prepareApplication(*qApp);
}

// The save dialog's buttons and labels, and a message box's button, as a user reads them.
void TestApplication::qtTextsAreRussian() {
    QFileDialog save(nullptr, QStringLiteral("Сохранение информации"));
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    QStringList texts;
    for (const QAbstractButton* button : save.findChild<QDialogButtonBox*>()->buttons())
        texts.append(button->text().remove(QLatin1Char('&')));
    for (const QLabel* label : save.findChildren<QLabel*>())
        texts.append(label->text().remove(QLatin1Char('&')));
    QVERIFY2(texts.contains(QStringLiteral("Сохранить")), qPrintable(texts.join(", ")));
    QVERIFY2(texts.contains(QStringLiteral("Отмена")), qPrintable(texts.join(", ")));
    QVERIFY2(!texts.contains(QStringLiteral("File name:")), qPrintable(texts.join(", ")));

    // Russian keeps "OK" as it is; the other standard buttons are translated.
    QMessageBox question(QMessageBox::Question, QString(), QString(),
                         QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(question.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')),
             QStringLiteral("Отмена"));
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
