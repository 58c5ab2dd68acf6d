# The console runner's output files and a hostile result folder: outputs that cannot be written
# (a FIFO, a device, a folder, one file named twice, a link another user planted in a shared
# folder) are refused before the run with nothing written; a run under an address-space limit
# beside a sparse file far beyond it prints the comparison of the real records, the note on
# standard error, writes its JSON and page, and exits with 0. Runs in WORK, a folder of its own.
include(${CMAKE_CURRENT_LIST_DIR}/consoleSteps.cmake)
fresh_work(cpus folder.json)
execute_process(COMMAND mkfifo ${WORK}/fifo.json)

# Another user's link in a sticky folder everyone may write, to a file only root may read.
set(planted "")
if(uid EQUAL 0)
    file(MAKE_DIRECTORY ${WORK}/shared ${WORK}/protected)
    file(CHMOD ${WORK}/protected DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    file(WRITE ${WORK}/protected/victim.txt "root's own")
    foreach(folder shared cpus)
        execute_process(COMMAND chmod 1777 ${WORK}/${folder})
    endforeach()
    execute_process(COMMAND ${asNobody} ln -s ${WORK}/protected/victim.txt ${WORK}/shared/res.dat)
    execute_process(COMMAND ${asNobody} ln -s ${WORK}/protected/victim.txt ${WORK}/cpus/planted.dat)
    set(planted "shared/res.dat;a link or folder on the way refuses it: Permission denied")
endif()

foreach(case "--json;fifo.json;Operation not supported"
             "--json;/dev/null;Operation not supported"
             "--save;folder.json;Is a directory"
             "--html;fifo.json;Operation not supported"
             "--save;${planted}")
    list(POP_FRONT case option target reason)
    if(NOT target)
        continue()
    endif()
    run_console(--no-pause ${option} ${target} TIMEOUT 20)
    expect_refusal("${option} ${target}" 1 MATCHES
                   "^korvex2-console: cannot write ${target}: (${reason})\n$")
endforeach()
run_console(--no-pause --save cpus/r.dat --json ./cpus/r.dat)
expect_refusal("one file twice" 1 STREQUAL
               "korvex2-console: --save and --json name the same file: ./cpus/r.dat\n")
if(EXISTS ${WORK}/cpus/r.dat)
    message(FATAL_ERROR "one file twice: cpus/r.dat written")
endif()
run_console(--compare --csv r.html --html ./r.html)
expect_refusal("one page twice" 1 STREQUAL
               "korvex2-console: --csv and --html name the same file: ./r.html\n")
if(uid EQUAL 0)
    file(READ ${WORK}/protected/victim.txt victim)
    if(NOT victim STREQUAL "root's own")
        message(FATAL_ERROR "the planted link's target was written: '${victim}'")
    endif()
endif()

# One real record (processor "Athlon", every run failed) and 8 GB of hole, under 1 GiB.
execute_process(COMMAND sh -c "{ printf '\\006Athlon'; head -c 1309 /dev/zero; } > cpus/real.dat && truncate -s 8G cpus/huge.dat"
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status)
file(WRITE ${WORK}/run.json "old report")
execute_process(COMMAND prlimit --as=1073741824 ${RUNNER} --no-pause --normal-priority
                        --json run.json --html run.html
                WORKING_DIRECTORY ${WORK} TIMEOUT 300 RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "\nAthlon +[0-9]+ +Тест не пройден\n"
   OR NOT err MATCHES "cpus/huge.dat: [0-9]+ records in a hole \\(never written\\) not loaded")
    message(FATAL_ERROR "under the limit: exit ${status}, stdout: '${out}', stderr: '${err}'")
endif()
if(uid EQUAL 0 AND NOT err MATCHES "cpus/planted.dat: skipped \\(Permission denied\\)")
    message(FATAL_ERROR "the planted link in cpus/ was followed: '${err}'")
endif()
file(READ ${WORK}/run.json json)
string(JSON program ERROR_VARIABLE notJson GET "${json}" program)
if(notJson OR NOT program STREQUAL "Korvex 2")
    message(FATAL_ERROR "run.json: ${notJson}: ${json}")
endif()
# The run's page, written after the comparison, shows the run beside the stored record.
file(READ ${WORK}/run.html page)
if(NOT page MATCHES "<tr class=\"r o\"><td>Ваша система \\(эталон\\)( <span class=u>\\([^<]*\\)</span>)?<td>" OR
   NOT page MATCHES "<td>Athlon<td>")
    message(FATAL_ERROR "run.html: ${page}")
endif()
