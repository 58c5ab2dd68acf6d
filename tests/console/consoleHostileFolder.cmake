# The console runner beside a hostile result folder, its output going into a full disk: a FIFO
# and a link to /dev/zero named *.dat neither block nor exhaust it, the run is saved, and the lost
# output ends it with 1 and a word on standard error. Runs in WORK, a folder of its own.
include(${CMAKE_CURRENT_LIST_DIR}/consoleSteps.cmake)
fresh_work(cpus)
execute_process(COMMAND mkfifo ${WORK}/cpus/fifo.dat RESULT_VARIABLE status)
file(CREATE_LINK /dev/zero ${WORK}/cpus/zero.dat SYMBOLIC)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "mkfifo: ${status}")
endif()

execute_process(COMMAND ${RUNNER} --no-pause --normal-priority --save cpus/mine.dat
                WORKING_DIRECTORY ${WORK} OUTPUT_FILE /dev/full TIMEOUT 300
                RESULT_VARIABLE status ERROR_VARIABLE err)
set(size 0)
if(EXISTS ${WORK}/cpus/mine.dat)
    file(SIZE ${WORK}/cpus/mine.dat size)
endif()
if(NOT status EQUAL 1 OR NOT size EQUAL 1316
   OR NOT err MATCHES "standard output could not be written: No space left on device")
    message(FATAL_ERROR "exit ${status}, saved ${size} bytes, stderr: '${err}'")
endif()
