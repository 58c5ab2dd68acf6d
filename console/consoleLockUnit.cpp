// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/consoleLockUnit.h"

#include "console/standardOutputUnit.h"
#include "platform/machineLock.h"

bool takeMachineLock(SequencePlatform& system, bool ignoreLock, std::string& otherRun,
                     std::ostream& err) {
    const bool root = platform::currentUser() == 0;
    const MachineLockResult lock = system.lockMachine(root || ignoreLock);
    const std::string holder = lockHolderText(lock.holder);
    if (lock.state == MachineLockResult::State::Busy) {
        err << kConsoleMessagePrefix << "another benchmark run is in progress on this machine ("
            << holder << "); two runs at once skew each other, so this one does not start"
            << (lock.holder.user != platform::currentUser()
                    ? " (--ignore-lock starts it all the same)"
                    : "")
            << std::endl;
        return false;
    }
    if (lock.state == MachineLockResult::State::Overridden) {
        err << kConsoleMessagePrefix << "warning: another user's benchmark run holds this machine ("
            << holder << "); this run goes on all the same ("
            << (root ? "it runs as root" : "--ignore-lock")
            << "), and two runs at once skew each other" << std::endl;
        otherRun = lockHolderTextRussian(lock.holder);
    }
    return true;
}
