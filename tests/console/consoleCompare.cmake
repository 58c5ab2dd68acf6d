# The console runner's comparison of stored results: a folder of --cpus that is missing, a FIFO
# or a file stops it with one line and exit 1 before anything runs; --compare over no result
# file says so and succeeds, and over a cpus it cannot read says that and fails; over two folders
# it names each file's row, and its JSON and CSV list every stored machine; options a comparison
# cannot honour are refused; without a folder cpus a line says how to make one.
# Runs in WORK, a folder of its own.
include(${CMAKE_CURRENT_LIST_DIR}/consoleSteps.cmake)
fresh_work(cpus fleet/a fleet/b)
file(WRITE ${WORK}/plain "not a folder")
execute_process(COMMAND mkfifo ${WORK}/fifo)

foreach(folder missing fifo plain)
    run_console(--no-pause --cpus cpus --cpus ${folder})
    expect_refusal("--cpus ${folder}" 1 MATCHES
                   "^korvex2-console: cannot read result folder ${folder}: [A-Za-z ]+\n$")
endforeach()

run_console(--compare)
if(NOT status EQUAL 0 OR NOT out STREQUAL "No result files to compare in cpus\n")
    message(FATAL_ERROR "--compare over nothing: exit ${status}, '${out}', '${err}'")
endif()
# cpus, not named, may be missing; but one that is there and cannot be read is said, and fails.
file(REMOVE_RECURSE ${WORK}/cpus)
file(WRITE ${WORK}/cpus "not a folder")
run_console(--compare)
if(NOT status EQUAL 1 OR
   NOT err STREQUAL "korvex2-console: cannot read result folder cpus: Not a directory\n")
    message(FATAL_ERROR "--compare over a file named cpus: exit ${status}, '${err}'")
endif()
file(REMOVE ${WORK}/cpus)
run_console(--compare)
if(NOT status EQUAL 0 OR err MATCHES "cannot read result folder")
    message(FATAL_ERROR "--compare without cpus: exit ${status}, '${err}'")
endif()
file(MAKE_DIRECTORY ${WORK}/cpus)

# Two records of zeros in one file, one in another: never-run machines with empty descriptions.
execute_process(COMMAND head -c 2632 /dev/zero OUTPUT_FILE ${WORK}/fleet/a/two.dat)
execute_process(COMMAND head -c 1316 /dev/zero OUTPUT_FILE ${WORK}/fleet/b/web2.dat)
run_console(--compare --cpus fleet/a --cpus fleet/b --json - --csv out.csv)
string(REGEX MATCHALL "\n(fleet/a/two.dat#[12]|fleet/b/web2.dat) +0 +(ref +)?Тест не пройден" rows
       "${err}")
list(LENGTH rows count)
string(JSON testCount LENGTH "${out}" machines 0 tests)
math(EXPR rowCount "3 * ${testCount}")
math(EXPR lastTest "${testCount} - 1")
math(EXPR csvRows "${rowCount} + 1")
if(NOT status EQUAL 0 OR NOT count EQUAL rowCount OR err MATCHES "Ваша система")
    message(FATAL_ERROR "--compare: exit ${status}, ${count} rows: ${err}")
endif()
string(JSON machines LENGTH "${out}" machines)
string(JSON file GET "${out}" machines 2 file)
string(JSON id GET "${out}" machines 2 tests ${lastTest} id)
file(STRINGS ${WORK}/out.csv csv)
list(LENGTH csv csvLines)
if(NOT machines EQUAL 3 OR NOT file STREQUAL "fleet/b/web2.dat" OR NOT id STREQUAL
   "yuv-fourier-sse2" OR NOT csvLines EQUAL csvRows)
    message(FATAL_ERROR "--compare's documents: ${machines} machines, ${csvLines} CSV lines: ${out}")
endif()

# The page on standard output, the comparison's lines on standard error.
run_console(--compare --cpus fleet/a --cpus fleet/b --html -)
if(NOT status EQUAL 0 OR NOT out MATCHES "^<!DOCTYPE html>\n.*<td>fleet/b/web2.dat<td>" OR
   NOT err MATCHES "\nfleet/b/web2.dat ")
    message(FATAL_ERROR "--compare --html -: exit ${status}, '${out}', '${err}'")
endif()

foreach(wrong "--compare;--save;x.dat" "--compare;--json;j;--cpu;x" "--json;-;--csv;-")
    run_console(${wrong})
    expect_refusal("${wrong}" 2 MATCHES "${namesHelp}")
endforeach()

# Without cpus/ (and without --cpus) one line says how to add machines.
file(REMOVE_RECURSE ${WORK}/cpus)
run_console(--compare)
if(NOT status EQUAL 0 OR NOT err MATCHES "korvex2-console: no folder cpus [^\n]*mkdir cpus[^\n]*\n")
    message(FATAL_ERROR "--compare without cpus: exit ${status}, '${out}', '${err}'")
endif()
run_console(--compare --cpus fleet/a)
if(err MATCHES "mkdir cpus")
    message(FATAL_ERROR "--compare --cpus fleet/a spoke of cpus: '${err}'")
endif()
