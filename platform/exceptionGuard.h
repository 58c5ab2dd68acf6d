#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// The processor-exception guard: turns SIGSEGV, SIGBUS, SIGILL and SIGFPE raised inside a
// guarded body into a result instead of the end of the program.
//
// installExceptionGuard() installs the handlers once, at start-up. A signal raised outside any
// guard still ends the program as usual: the handler restores the default action and raises the
// signal again. Guards nest; the innermost one catches.
//
// Beware: QtTest installs handlers of its own for these signals; run Qt tests with
// -nocrashhandler or install the guard again in the test.

#include <type_traits>
#include <utility>

namespace platform {

void installExceptionGuard();

using GuardedBody = void (*)(void* context);

// Runs body(context). Result 0 when it returned, 1 when a processor exception cut it short. On
// that path the x87 unit is reinitialised with the program's control word (FNINIT clears the
// stack, the flags, a pending fault and a missing EMMS) and MXCSR gets back the value it had
// when the guard was entered. Whatever the body wrote before the fault stays written; its own
// locals are gone, so it must not own resources that need releasing.
[[nodiscard]] int runGuarded(GuardedBody body, void* context);

template <class Body>
[[nodiscard]] int runGuarded(Body&& body) {
    using BodyType = std::remove_reference_t<Body>;
    return runGuarded([](void* context) { (*static_cast<BodyType*>(context))(); },
                      const_cast<std::remove_const_t<BodyType>*>(&body));
}

}  // namespace platform
