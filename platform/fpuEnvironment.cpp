// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/fpuEnvironment.h"

namespace platform {

void setProgramFpuEnvironment() {
    const std::uint16_t controlWord = kProgramFpuControlWord;
    asm volatile("fldcw %0" : : "m"(controlWord));
}

std::uint16_t readFpuControlWord() {
    std::uint16_t controlWord = 0;
    asm volatile("fnstcw %0" : "=m"(controlWord));
    return controlWord;
}

void reinitialiseFpu() {
    asm volatile("fninit" ::: "memory");
    setProgramFpuEnvironment();
}

ExtendedPrecisionScope::ExtendedPrecisionScope() : savedControlWord_(readFpuControlWord()) {
    const std::uint16_t defaultControlWord = 0x037F;
    asm volatile("fnclex\n\tfldcw %0" : : "m"(defaultControlWord) : "memory");
}

ExtendedPrecisionScope::~ExtendedPrecisionScope() {
    asm volatile("fnclex\n\tfldcw %0" : : "m"(savedControlWord_) : "memory");
}

std::uint32_t readMxcsr() {
    std::uint32_t value = 0;
    asm volatile("stmxcsr %0" : "=m"(value));
    return value;
}

void writeMxcsr(std::uint32_t value) { asm volatile("ldmxcsr %0" : : "m"(value)); }

}  // namespace platform
