# The console runner's command line: --help succeeds and lists the options, --version prints the
# version line and the kernel code's fingerprint, an unknown option prints the usage on standard error and exits with 2.
execute_process(COMMAND ${RUNNER} --help RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out MATCHES "--no-pause" OR NOT out MATCHES "--normal-priority"
   OR NOT out MATCHES "--json FILE" OR NOT out MATCHES "--version")
    message(FATAL_ERROR "--help: exit ${status}, output: ${out}")
endif()
execute_process(COMMAND ${RUNNER} --version RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out MATCHES "^korvex2-console \\(Korvex 2\\) [0-9][^\n]*\nKernel code [0-9a-f]+\n$")
    message(FATAL_ERROR "--version: exit ${status}, output: '${out}'")
endif()
execute_process(COMMAND ${RUNNER} --no-such-option RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT err MATCHES "Usage" OR NOT out STREQUAL "")
    message(FATAL_ERROR "unknown option: exit ${status}, stdout: '${out}', stderr: '${err}'")
endif()
