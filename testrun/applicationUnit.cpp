// Layer korvex_ui: the windows; includes Qt and every layer.

#include "testrun/applicationUnit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/displayServer.h"
#include "ui/keyboardUnit.h"
#include "ui/picturesUnit.h"
#include "ui/windowRecallUnit.h"

namespace {

constexpr const char* kPlatformVariable = "QT_QPA_PLATFORM";

// The connection that found the X server when chooseWindowSystem() chose it, held until Qt has
// connected: left without clients, the server would reset and turn Qt away meanwhile.
std::optional<platform::XServerConnection> xServerAsked;

struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};
std::vector<HeldMessage> heldMessages;
QtMessageHandler passMessagesTo = nullptr;

// Whether a window system answers: an X server, or a Wayland compositor named in the
// environment.
bool displayAnswers() {
    return platform::XServerConnection().isOpen() ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Qt cannot go on: with no display that is the only news, said once; with one (a platform
// plugin that is missing or was misspelt, -platform bogus) Qt's own reasons are.
void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        heldMessages.push_back({type, context.category ? context.category : "", text});
        return;
    }
    if (!displayAnswers()) {
        std::fputs(
            "korvex2: нет дисплея для окон, без окон тест запускает korvex2-console / no "
            "display for the windows: korvex2-console runs the benchmark without them\n",
            stderr);
        std::_Exit(1);
    }
    heldMessages.push_back({type, "", text});
    for (const HeldMessage& message : heldMessages)
        std::fprintf(stderr, "korvex2: %s\n", message.text.toLocal8Bit().constData());
    std::_Exit(1);
}

// Ends guardApplicationStart()'s hold and passes on what it held.
void passHeldMessages() {
    if (!passMessagesTo) return;
    qInstallMessageHandler(passMessagesTo);
    for (const HeldMessage& message : heldMessages)
        passMessagesTo(message.type,
                       QMessageLogContext(nullptr, 0, nullptr, message.category.c_str()),
                       message.text);
    heldMessages.clear();
    passMessagesTo = nullptr;
}

}  // namespace

void guardApplicationStart() { passMessagesTo = qInstallMessageHandler(holdStartMessage); }

void chooseWindowSystem() {
    if (!qEnvironmentVariableIsEmpty(kPlatformVariable)) return;
    xServerAsked.emplace();
    if (xServerAsked->isOpen())
        qputenv(kPlatformVariable, "xcb");
    else
        xServerAsked.reset();
}

void prepareApplication(QApplication& application) {
    passHeldMessages();
    // The choice stays the program's own: programs the windows start (a browser, a mail program)
    // do not inherit it.
    if (xServerAsked) qunsetenv(kPlatformVariable);
    xServerAsked.reset();
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
