// The banner: borderless, always on top, in the top-right corner of the screen, and a click on
// its picture opens the project's web page.

#include <QtTest/qtestspontaneevent.h>
#include <QAccessible>
#include <QCloseEvent>
#include <QScreen>
#include <QtTest>

#include "console/contactUnit.h"
#include "support/programEnvironment.h"
#include "support/qtTestSupport.h"
#include "testrun/reklamaUnit.h"
#include "testrun/urlRecorder.h"
#include "ui/controlsUnit.h"

class TestTrekForm : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void bannerPosition_data();
    void bannerPosition();
    void window();
    void pictureFillsThePanel();
    void placedInTopRightCornerWhenShown();
    void clickOpensWebPage_data();
    void clickOpensWebPage();
    void windowManagerCannotCloseIt();

  private:
    TrekForm* banner = nullptr;
};

void TestTrekForm::initTestCase() { enterProgramEnvironment(); }

void TestTrekForm::init() { banner = new TrekForm; }

void TestTrekForm::cleanup() { delete banner; }

void TestTrekForm::bannerPosition_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("1024 pixels wide") << QRect(0, 0, 1024, 768) << QPoint(795, 20);
    QTest::newRow("1920 pixels wide") << QRect(0, 0, 1920, 1080) << QPoint(1691, 20);
    QTest::newRow("a second screen to the right")
        << QRect(1024, 0, 1280, 1024) << QPoint(1024 + 1051, 20);
}

void TestTrekForm::bannerPosition() {
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(::bannerPosition(screen), expected);
}

void TestTrekForm::window() {
    QCOMPARE(banner->minimumSize(), banner->maximumSize());
    QVERIFY(banner->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(banner->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(banner->testAttribute(Qt::WA_ShowWithoutActivating));
}

// The window is its panel, and the panel's one-pixel bevel frames the whole picture.
void TestTrekForm::pictureFillsThePanel() {
    const auto* panel = control<BevelPanel>(*banner, "Panel1");
    QCOMPARE(panel->geometry(), banner->rect());
    const auto* image = control<QLabel>(*banner, "Image1");
    QCOMPARE(image->parentWidget(), panel);
    QCOMPARE(image->geometry(), panel->rect().marginsRemoved(QMargins(1, 1, 1, 1)));
    QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), image->size());
    QCOMPARE(image->cursor().shape(), Qt::PointingHandCursor);
}

void TestTrekForm::placedInTopRightCornerWhenShown() {
    banner->move(0, 300);
    banner->show();
    QVERIFY(QTest::qWaitForWindowExposed(banner));
    QCOMPARE(banner->pos(), ::bannerPosition(banner->screen()->geometry()));

    // Shown again, it goes back to the corner.
    banner->hide();
    banner->move(10, 10);
    banner->show();
    QCOMPARE(banner->pos(), ::bannerPosition(banner->screen()->geometry()));
}

void TestTrekForm::clickOpensWebPage_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("a click") << "click";
    QTest::newRow("Enter on the focused picture") << "enter";
    QTest::newRow("assistive technology's press action") << "press";
}

void TestTrekForm::clickOpensWebPage() {
    QFETCH(QString, how);
    const QUrl page{QLatin1String(kProjectWebPage)};
    UrlRecorder browser(page.scheme());
    auto* picture = control<QLabel>(*banner, "Image1");
    if (how == QLatin1String("click")) {
        QTest::mouseClick(picture, Qt::LeftButton);
    } else if (how == QLatin1String("enter")) {
        QVERIFY(picture->focusPolicy() & Qt::TabFocus);
        QTest::keyClick(picture, Qt::Key_Return);
    } else {
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(picture);
        QCOMPARE(link->text(QAccessible::Name), QLatin1String(kProductTitle));
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    QCOMPARE(browser.opened, QList<QUrl>({page}));
}

// Alt+F4 or a window list's "close" arrive as a close request from the window system: refused.
// The program's own closing of its windows at its end goes through.
void TestTrekForm::windowManagerCannotCloseIt() {
    banner->show();
    QCloseEvent request;
    QSpontaneKeyEvent::setSpontaneous(&request);
    static_cast<QObject*>(banner)->event(&request);
    QVERIFY(!request.isAccepted());
    QVERIFY(banner->isVisible());
    QVERIFY(banner->close());
    QVERIFY(!banner->isVisible());
}

QTEST_MAIN(TestTrekForm)
#include "tst_TrekForm.moc"
