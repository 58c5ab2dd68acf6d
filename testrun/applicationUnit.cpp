#include "testrun/applicationUnit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

#include "platform/displayServer.h"
#include "testrun/keyboardUnit.h"
#include "testrun/picturesUnit.h"
#include "testrun/windowRecallUnit.h"

namespace {

constexpr const char* kPlatformVariable = "QT_QPA_PLATFORM";

// Set when chooseWindowSystem() made the choice through the environment, which programs the
// windows start (a browser, a mail program) would otherwise inherit.
bool platformChosenHere = false;

}  // namespace

void chooseWindowSystem() {
    if (!qEnvironmentVariableIsEmpty(kPlatformVariable) || !platform::xServerReachable()) return;
    qputenv(kPlatformVariable, "xcb");
    platformChosenHere = true;
}

void prepareApplication(QApplication& application) {
    if (platformChosenHere) qunsetenv(kPlatformVariable);
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        std::fputs(
            "korvex2: on Wayland window places are up to the compositor: the windows may open "
            "elsewhere than designed, the banner away from the top-right corner and not on top\n",
            stderr);

    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopFileName));
    QApplication::setWindowIcon(programIcon());
    auto* qtTexts = new QTranslator(&application);
    if (qtTexts->load(QStringLiteral("qtbase_ru"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);

    application.installEventFilter(new EnterPressesFocusedButton(&application));
    static ModalDialogRecall modalDialogRecall;
    application.installNativeEventFilter(&modalDialogRecall);
}
