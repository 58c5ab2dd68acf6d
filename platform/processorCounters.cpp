// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/processorCounters.h"

namespace platform {

void resetMultimediaState() {
    asm volatile("emms" ::: "memory");
    serialise();
}

}  // namespace platform
