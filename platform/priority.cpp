#include "platform/priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <cerrno>

namespace platform {

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

void raisePriority() {
    setpriority(PRIO_PROCESS, 0, -20);
    sched_param parameter{};
    parameter.sched_priority = sched_get_priority_max(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameter);
}

void restorePriority(const PriorityState& saved) {
    sched_param parameter{};
    parameter.sched_priority = saved.schedulingPriority;
    pthread_setschedparam(pthread_self(), saved.schedulingPolicy, &parameter);
    setpriority(PRIO_PROCESS, 0, saved.niceValue);
}

}  // namespace platform
