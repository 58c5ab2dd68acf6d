// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <cerrno>
#include <charconv>
#include <string_view>

#include "platform/regularFile.h"

namespace platform {

namespace {

constexpr int kRaisedNiceValue = -20;

}  // namespace

PriorityState savePriority() {
    PriorityState state;
    errno = 0;
    const int niceValue = getpriority(PRIO_PROCESS, 0);
    if (errno == 0) state.niceValue = niceValue;
    sched_param parameter{};
    if (pthread_getschedparam(pthread_self(), &state.schedulingPolicy, &parameter) == 0)
        state.schedulingPriority = parameter.sched_priority;
    return state;
}

bool realTimeUnthrottled(const std::string& procRoot) {
    const auto text = readSmallFile(procRoot + "/sys/kernel/sched_rt_runtime_us");
    if (!text) return false;
    const std::string_view line = std::string_view(*text).substr(0, text->find('\n'));
    long runtime = 0;
    const char* const end = line.data() + line.size();
    const auto [parsed, error] = std::from_chars(line.data(), end, runtime);
    return error == std::errc() && parsed == end && runtime == -1;
}

bool raisePriority(const std::string& procRoot) {
    bool granted = setpriority(PRIO_PROCESS, 0, kRaisedNiceValue) == 0;
    if (realTimeUnthrottled(procRoot)) {
        sched_param parameter{};
        parameter.sched_priority = sched_get_priority_max(SCHED_FIFO);
        granted = pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameter) == 0 && granted;
    }
    return granted;
}

void restorePriority(const PriorityState& saved) {
    sched_param parameter{};
    parameter.sched_priority = saved.schedulingPriority;
    pthread_setschedparam(pthread_self(), saved.schedulingPolicy, &parameter);
    setpriority(PRIO_PROCESS, 0, saved.niceValue);
}

}  // namespace platform
