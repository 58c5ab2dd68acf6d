# --compare under an address-space limit over far more records than fit: the text, the JSON and
# the CSV of the records that fit, the note on the rest, exit 0; a folder named twice is read
# once; and a second folder has the budget the first left, not less. The records (300,000,
# 395 MB) are made here and removed at the end. Runs in WORK.
include(${CMAKE_CURRENT_LIST_DIR}/consoleSteps.cmake)
fresh_work(many)
execute_process(COMMAND sh -c "head -c 394800000 /dev/zero | split -b 13160000 -a 3 -d --additional-suffix=.dat - many/part"
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status)
execute_process(COMMAND prlimit --as=268435456 ${RUNNER} --compare --cpus many --cpus ./many/
                        --json out.json --csv out.csv
                WORKING_DIRECTORY ${WORK} TIMEOUT 300 RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REGEX MATCHALL "records of this and later files left out" notes "${err}")
list(LENGTH notes noteCount)
if(NOT status EQUAL 0 OR NOT noteCount EQUAL 1 OR NOT out MATCHES "many/part[0-9]+\\.dat#1 ")
    message(FATAL_ERROR "under 256 MiB: exit ${status}, stderr: '${err}'")
endif()
string(REGEX MATCH "at most ([0-9]+) records" budget "${err}")
set(budget ${CMAKE_MATCH_1})

# 10,000 records in a folder read first: the folders together load as many records as one did.
file(MAKE_DIRECTORY ${WORK}/some)
file(RENAME ${WORK}/many/part000.dat ${WORK}/some/part000.dat)
execute_process(COMMAND prlimit --as=268435456 ${RUNNER} --compare --cpus some --cpus many
                WORKING_DIRECTORY ${WORK} TIMEOUT 300 RESULT_VARIABLE status
                OUTPUT_QUIET ERROR_VARIABLE err)
file(REMOVE_RECURSE ${WORK}/many ${WORK}/some)
string(REGEX MATCH "at most ([0-9]+) records" ignored "${err}")
math(EXPR shortfall "${budget} - ${CMAKE_MATCH_1}")
if(NOT status EQUAL 0 OR shortfall GREATER 1000)
    message(FATAL_ERROR "two folders load ${shortfall} records fewer than one: '${err}'")
endif()
file(READ ${WORK}/out.json json LIMIT 2000)
file(SIZE ${WORK}/out.csv csvSize)
if(NOT json MATCHES "\"machines\": \\[\n    {\n      \"file\": \"many/part[0-9]+\\.dat\"" OR
   csvSize LESS 1000000)
    message(FATAL_ERROR "the documents: ${csvSize} bytes of CSV, JSON '${json}'")
endif()
file(REMOVE ${WORK}/out.json ${WORK}/out.csv)
