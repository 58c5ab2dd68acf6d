#include "platform/processorCounters.h"

namespace platform {

void resetMultimediaState() {
    asm volatile("emms" ::: "memory");
    serialise();
}

}  // namespace platform
