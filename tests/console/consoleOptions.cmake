# The console runner's command line: --help succeeds and lists the options, --version prints the
# version line and the kernel code's fingerprint, an unknown option prints the reason and a line
# naming --help (not the whole usage) on standard error and exits with 2.
include(${CMAKE_CURRENT_LIST_DIR}/consoleSteps.cmake)
fresh_work()
run_console(--help)
if(NOT status EQUAL 0 OR NOT out MATCHES "--no-pause" OR NOT out MATCHES "--normal-priority"
   OR NOT out MATCHES "--json FILE" OR NOT out MATCHES "--version")
    message(FATAL_ERROR "--help: exit ${status}, output: ${out}")
endif()
run_console(--version)
if(NOT status EQUAL 0 OR NOT out MATCHES "^korvex2-console \\(Korvex 2\\) [0-9][^\n]*\nKernel code [0-9a-f]+\n$")
    message(FATAL_ERROR "--version: exit ${status}, output: '${out}'")
endif()
run_console(--no-such-option)
expect_refusal("unknown option" 2 MATCHES "^korvex2-console: unknown option '--no-such-option'${namesHelp}")
