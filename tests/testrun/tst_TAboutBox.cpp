// The about box: its texts, picture and layout, the mail link (by mouse, keyboard and assistive
// technology, readable on light and dark palettes), and closing it with OK or Enter while it is
// shown modally.

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QUrlQuery>
#include <QtTest>

#include "console/contactUnit.h"
#include "support/programEnvironment.h"
#include "support/qtTestSupport.h"
#include "testrun/boutUnit.h"
#include "testrun/urlRecorder.h"
#include "ui/controlsUnit.h"
#include "ui/picturesUnit.h"

class TestTAboutBox : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void everyControlShowsWholeAndApart();
    void window();
    void productNameIsBoldSerif();
    void pictureIsShownWhole();
    void commentsLooksLikeALink_data();
    void commentsLooksLikeALink();
    void commentsClickOpensMailToDevelopers();
    void commentsOpensFromTheKeyboardAndAssistiveTechnology_data();
    void commentsOpensFromTheKeyboardAndAssistiveTechnology();
    void commentsShowsAFocusFrame();
    void closes_data();
    void closes();
    void centredOnScreen_data();
    void centredOnScreen();
    void showsCentred();
    void ownedByTheWindowThatOpensIt();

  private:
    TAboutBox* box = nullptr;
};

void TestTAboutBox::initTestCase() { enterProgramEnvironment(); }

void TestTAboutBox::init() { box = new TAboutBox; }

void TestTAboutBox::cleanup() { delete box; }

void TestTAboutBox::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("text");

    const struct {
        const char* row;
        const char* name;
        const char* parentName;
        QString text;
    } controls[] = {
        {"outer panel", "Panel1", "AboutBox", ""},
        {"picture frame", "Panel2", "Panel1", ""},
        {"picture", "Image1", "Panel2", ""},
        {"product name", "ProductName", "Panel1", "Korvex 2"},
        {"version", "Version", "Panel1", "Version 1.0b"},
        {"mail link", "Comments", "Panel1", QStringLiteral("mailto: ") + kContactMailAddress},
        {"OK button", "OKButton", "AboutBox", "OK"},
    };
    for (const auto& c : controls)
        QTest::newRow(c.row) << QString(c.name) << QString(c.parentName) << c.text;
}

void TestTAboutBox::controls() {
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QString, text);

    const auto* widget = control<QWidget>(*box, name);
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (!text.isEmpty()) QCOMPARE(label->text(), text);
        // The whole caption shows.
        if (label->wordWrap())
            QVERIFY(label->height() >= label->heightForWidth(label->width()));
        else
            QVERIFY(label->width() >= label->sizeHint().width());
    }
    if (const auto* button = qobject_cast<const QPushButton*>(widget))
        QCOMPARE(button->text(), text);
}

void TestTAboutBox::everyControlShowsWholeAndApart() {
    const QString faults = layoutFaults(*box);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

void TestTAboutBox::window() {
    QCOMPARE(box->windowTitle(), QStringLiteral("About"));
    QCOMPARE(box->minimumSize(), box->maximumSize());
    QVERIFY(!(box->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(box->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(box->isModal());
    QCOMPARE(box->font().pixelSize(), 11);
    const auto* copyright = control<QLabel>(*box, "Copyright");
    QVERIFY(copyright->text().contains(QStringLiteral("Korvex 2 developers")));
    QVERIFY(copyright->text().startsWith(QStringLiteral("Copyright ©")));
}

void TestTAboutBox::productNameIsBoldSerif() {
    const QFont font = control<QLabel>(*box, "ProductName")->font();
    QVERIFY(font.bold());
    QCOMPARE(font.pixelSize(), 16);
    QCOMPARE(font.styleHint(), QFont::Serif);
}

void TestTAboutBox::pictureIsShownWhole() {
    const QPixmap picture = control<QLabel>(*box, "Image1")->pixmap();
    QCOMPARE(picture.size(), kAboutPictureSize);
    QVERIFY(!picture.toImage().hasAlphaChannel() ||
            picture.toImage().pixelColor(0, 0).alpha() == 255);
}

void TestTAboutBox::commentsLooksLikeALink_data() {
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("link");
    QTest::addColumn<bool>("linkKept");
    QTest::newRow("light, the usual blue link")
        << QColor(0xEF, 0xEF, 0xEF) << QColor(Qt::blue) << true;
    QTest::newRow("dark, the same blue") << QColor(0x20, 0x20, 0x20) << QColor(Qt::blue) << false;
    QTest::newRow("dark, a pale blue of its own")
        << QColor(0x20, 0x20, 0x20) << QColor(0x8A, 0xB4, 0xF8) << true;
    QTest::newRow("light, a pale link") << QColor(Qt::white) << QColor(0x8A, 0xB4, 0xF8) << false;
    QTest::newRow("mid grey, blue") << QColor(0x80, 0x80, 0x80) << QColor(Qt::blue) << false;
}

// The link's text takes the palette's link colour where it reads with the usual 4.5:1
// contrast, and a lighter or darker shade of it where not; a palette changed while the program
// runs is followed.
void TestTAboutBox::commentsLooksLikeALink() {
    QFETCH(QColor, window);
    QFETCH(QColor, link);
    QFETCH(bool, linkKept);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Link, link);
    box->setPalette(palette);
    const auto* comments = control<QLabel>(*box, "Comments");
    const QColor shown = comments->palette().color(QPalette::WindowText);
    QVERIFY2(contrastRatio(shown, window) >= 4.5, qPrintable(shown.name()));
    QCOMPARE(shown == link, linkKept);
    QCOMPARE(comments->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(comments->wordWrap());
}

void TestTAboutBox::commentsClickOpensMailToDevelopers() {
    UrlRecorder mail(QStringLiteral("mailto"));
    QTest::mouseClick(control<QLabel>(*box, "Comments"), Qt::LeftButton);
    QCOMPARE(mail.opened.size(), 1);
    const QUrl link = mail.opened.first();
    QCOMPARE(link.scheme(), QStringLiteral("mailto"));
    QCOMPARE(link.path(), QLatin1String(kContactMailAddress));
    QCOMPARE(QUrlQuery(link).queryItemValue(QStringLiteral("subject")),
             QLatin1String(kProductTitle));

    QTest::mouseClick(control<QLabel>(*box, "Comments"), Qt::RightButton);
    QCOMPARE(mail.opened.size(), 1);
}

void TestTAboutBox::commentsOpensFromTheKeyboardAndAssistiveTechnology_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Enter") << "Return" << true;
    QTest::newRow("keypad Enter") << "Enter" << true;
    QTest::newRow("Space") << "Space" << true;
    QTest::newRow("Ctrl+Enter, a command of its own") << "Ctrl+Return" << false;
    QTest::newRow("a letter") << "A" << false;
    QTest::newRow("assistive technology's press action") << "press" << true;
}

// Tab reaches the link; a key or the press action opens the mail as a click does.
void TestTAboutBox::commentsOpensFromTheKeyboardAndAssistiveTechnology() {
    QFETCH(QString, how);
    QFETCH(bool, opens);
    UrlRecorder mail(QStringLiteral("mailto"));
    auto* comments = control<QLabel>(*box, "Comments");
    QVERIFY(comments->focusPolicy() & Qt::TabFocus);
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(comments);
    QCOMPARE(link->role(), QAccessible::Link);
    QCOMPARE(link->text(QAccessible::Name), comments->text());
    if (how == QLatin1String("press")) {
        QVERIFY(link->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    } else {
        const QKeySequence key(how);
        QTest::keyClick(comments, Qt::Key(key[0].key()), key[0].keyboardModifiers());
    }
    QCOMPARE(mail.opened.size(), opens ? 1 : 0);
}

// Reached by Tab from "OK", the link shows a focus frame.
void TestTAboutBox::commentsShowsAFocusFrame() {
    box->show();
    QVERIFY(QTest::qWaitForWindowActive(box));
    auto* comments = control<QLabel>(*box, "Comments");
    const QImage unfocused = comments->grab().toImage();
    QTest::keyClick(box->focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(comments->hasFocus());
    QVERIFY(comments->grab().toImage() != unfocused);
}

void TestTAboutBox::closes_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Enter presses the default button") << "enter";
    QTest::newRow("a click on OK") << "click";
}

void TestTAboutBox::closes() {
    QFETCH(QString, how);
    QVERIFY(control<QPushButton>(*box, "OKButton")->isDefault());
    box->open();
    QCOMPARE(QApplication::activeModalWidget(), box);
    // The box opens on "OK", not on the link above it, so Enter closes it.
    QCOMPARE(box->focusWidget(), control<QPushButton>(*box, "OKButton"));
    if (how == QLatin1String("enter"))
        QTest::keyClick(box, Qt::Key_Return);
    else
        QTest::mouseClick(control<QPushButton>(*box, "OKButton"), Qt::LeftButton);
    QCOMPARE(box->result(), int(QDialog::Accepted));
    QVERIFY(!box->isVisible());
}

void TestTAboutBox::centredOnScreen_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("1024 x 768") << QRect(0, 0, 1024, 768) << QPoint(328, 254);
    QTest::newRow("odd margins round down") << QRect(0, 0, 800, 601) << QPoint(216, 170);
    QTest::newRow("a second screen to the right")
        << QRect(1920, 0, 1280, 1024) << QPoint(1920 + 456, 382);
}

void TestTAboutBox::centredOnScreen() {
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(::centredOnScreen(screen, TAboutBox::kClientSize), expected);
}

void TestTAboutBox::showsCentred() {
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QCOMPARE(box->geometry().topLeft(), ::centredOnScreen(box->screen()->geometry(), box->size()));
}

// Opened from the main window and then from the comparison window, the box belongs to each in
// turn (a window manager keeps it with its owner) and opens on the same place both times.
void TestTAboutBox::ownedByTheWindowThatOpensIt() {
    QWidget mainWindow;
    QWidget comparisonWindow;
    // The box goes before the windows that own it.
    const auto release = qScopeGuard([this] {
        delete box;
        box = nullptr;
    });
    for (QWidget* owner : {&mainWindow, &comparisonWindow, &mainWindow}) {
        owner->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner));
        box->openOwnedBy(owner);
        QCOMPARE(box->parentWidget(), owner);
        QVERIFY(box->isWindow());
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QCOMPARE(box->windowHandle()->transientParent(), owner->windowHandle());
        QCOMPARE(box->geometry().topLeft(),
                 ::centredOnScreen(box->screen()->geometry(), box->size()));
        box->accept();
    }
}

QTEST_MAIN(TestTAboutBox)
#include "tst_TAboutBox.moc"
