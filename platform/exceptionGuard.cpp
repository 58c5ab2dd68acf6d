// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/exceptionGuard.h"

#include <csetjmp>
#include <csignal>
#include <cstdint>

#include "platform/fpuEnvironment.h"

namespace platform {
namespace {

struct GuardFrame {
    sigjmp_buf resume;
    GuardFrame* enclosing;
};

thread_local GuardFrame* innermostGuard = nullptr;

constexpr int kGuardedSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};

void onProcessorException(int signalNumber) {
    if (GuardFrame* guard = innermostGuard) siglongjmp(guard->resume, 1);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signalNumber, &defaultAction, nullptr);
    raise(signalNumber);
}

}  // namespace

void installExceptionGuard() {
    struct sigaction action {};
    action.sa_handler = onProcessorException;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kGuardedSignals) sigaction(signalNumber, &action, nullptr);
}

int runGuarded(GuardedBody body, void* context) {
    GuardFrame frame;
    frame.enclosing = innermostGuard;
    const std::uint32_t mxcsr = readMxcsr();
    if (sigsetjmp(frame.resume, 1) != 0) {
        innermostGuard = frame.enclosing;
        reinitialiseFpu();
        writeMxcsr(mxcsr);
        return 1;
    }
    innermostGuard = &frame;
    body(context);
    innermostGuard = frame.enclosing;
    return 0;
}

}  // namespace platform
