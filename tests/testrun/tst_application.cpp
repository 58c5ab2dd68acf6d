// What the start-up sets on the application: Qt's own texts in Russian whatever the locale, and
// Enter on a focused button pressing it.

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
    void enterPressesTheFocusedButtonOnlyWithoutCommandKeys_data();
    void enterPressesTheFocusedButtonOnlyWithoutCommandKeys();
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

void TestApplication::enterPressesTheFocusedButtonOnlyWithoutCommandKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("pressed");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << true;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
    QTest::newRow("Alt+Enter") << int(Qt::Key_Return) << int(Qt::AltModifier) << false;
    QTest::newRow("Meta+Enter") << int(Qt::Key_Return) << int(Qt::MetaModifier) << false;
}

// Enter with Ctrl, Alt or Meta is a command of its own (a window's shortcut), not a press.
void TestApplication::enterPressesTheFocusedButtonOnlyWithoutCommandKeys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, pressed);
    QPushButton button(QStringLiteral("Bench"));
    QSignalSpy clicks(&button, &QPushButton::clicked);
    QTest::keyClick(&button, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clicks.size(), pressed ? 1 : 0);
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
