# The console runner's comparison of stored results: a folder of --cpus that is missing, a FIFO
# or a file stops it with one line and exit 1 before anything runs; --compare over no result
# file says so and succeeds; over two folders it names each file's row, and its JSON and CSV
# list every stored machine; options a comparison cannot honour are refused.
# Runs in WORK, a folder of its own.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/cpus ${WORK}/fleet/a ${WORK}/fleet/b)
file(WRITE ${WORK}/plain "not a folder")
execute_process(COMMAND mkfifo ${WORK}/fifo)

foreach(folder missing fifo plain)
    execute_process(COMMAND ${RUNNER} --no-pause --cpus cpus --cpus ${folder}
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    if(NOT status EQUAL 1 OR NOT out STREQUAL ""
       OR NOT err MATCHES "^korvex2-console: cannot read result folder ${folder}: [A-Za-z ]+\n$")
        message(FATAL_ERROR "--cpus ${folder}: exit ${status}, stdout '${out}', stderr '${err}'")
    endif()
endforeach()

execute_process(COMMAND ${RUNNER} --compare WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "No result files to compare in cpus\n")
    message(FATAL_ERROR "--compare over nothing: exit ${status}, '${out}', '${err}'")
endif()

# Two records of zeros in one file, one in another: never-run machines with empty descriptions.
execute_process(COMMAND head -c 2632 /dev/zero OUTPUT_FILE ${WORK}/fleet/a/two.dat)
execute_process(COMMAND head -c 1316 /dev/zero OUTPUT_FILE ${WORK}/fleet/b/web2.dat)
execute_process(COMMAND ${RUNNER} --compare --cpus fleet/a --cpus fleet/b --json - --csv out.csv
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE json
                ERROR_VARIABLE lines)
string(REGEX MATCHALL "\n(fleet/a/two.dat#[12]|fleet/b/web2.dat) +0 +Тест не пройден" rows
       "${lines}")
list(LENGTH rows count)
if(NOT status EQUAL 0 OR NOT count EQUAL 30 OR lines MATCHES "Ваша система")
    message(FATAL_ERROR "--compare: exit ${status}, ${count} rows: ${lines}")
endif()
string(JSON machines LENGTH "${json}" machines)
string(JSON file GET "${json}" machines 2 file)
string(JSON id GET "${json}" machines 2 tests 9 id)
file(STRINGS ${WORK}/out.csv csv)
list(LENGTH csv csvLines)
if(NOT machines EQUAL 3 OR NOT file STREQUAL "fleet/b/web2.dat" OR NOT id STREQUAL
   "yuv-fourier-sse2" OR NOT csvLines EQUAL 31)
    message(FATAL_ERROR "--compare's documents: ${machines} machines, ${csvLines} CSV lines: ${json}")
endif()

foreach(wrong "--compare;--save;x.dat" "--compare;--json;j;--cpu;x" "--json;-;--csv;-")
    execute_process(COMMAND ${RUNNER} ${wrong} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 2 OR NOT out STREQUAL "")
        message(FATAL_ERROR "${wrong}: exit ${status}, stderr '${err}'")
    endif()
endforeach()
