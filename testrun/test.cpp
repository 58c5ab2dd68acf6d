// Program korvex2, over the layer korvex_ui.
//
// korvex2, the program `test`: Korvex 2's start-up. Creates the windows in their fixed order,
// each kept until the program ends, and runs the message loop until the main window is closed.
// The program's own options are --help and --version; Qt's options go to Qt.

#include <QApplication>
#include <iostream>

#include "console/programOptionsUnit.h"
#include "engine/sequenceUnit.h"
#include "engine/testTableUnit.h"
#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "testrun/applicationUnit.h"
#include "testrun/mainUnit.h"
#include "testrun/programWindowsUnit.h"

int main(int argc, char** argv) {
    // Answered before Qt starts, so it works without a display and before any window.
    if (const int status = answerProgramOptions(argc, argv, std::cout, std::cerr); status >= 0)
        return status;

    // Every window and kernel runs under the program's x87 control word, and the kernels need
    // the exception guard: both come before anything else.
    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();

    guardApplicationStart();
    chooseWindowSystem();
    QApplication application(argc, argv);
    prepareApplication(application);
    // The banner stays open to the end; the program ends when the main window is closed.
    QApplication::setQuitOnLastWindowClosed(false);

    SystemSequencePlatform sequencePlatform;
    createProgramWindows(sequencePlatform, resultFileTests());
    QObject::connect(Form1, &TForm1::closed, &application, &QApplication::quit);

    Form1->show();
    const int exitCode = QApplication::exec();

    deleteProgramWindows();
    return exitCode;
}
