# The console runner's result files and JSON: a --save whose folder cannot take a file stops
# before the run with the reason; --save writes one record, right after the run and before the
# comparison, that this run and the next list beside their own results, and says where it went;
# --json - leaves standard output pure JSON holding the saved values; a folder as the target is
# refused before the run; the description options need --save or --json; files of cpus/ read in
# part are named on standard error.
# Runs in WORK, a folder of its own.
include(${CMAKE_CURRENT_LIST_DIR}/consoleSteps.cmake)
fresh_work(cpus)
file(WRITE ${WORK}/plain "not a folder")

run_console(--cpu "Тестовый процессор")
expect_refusal("--cpu without --save" 2 MATCHES "needs --save")
run_console(--save)
expect_refusal("--save without a file" 2 MATCHES "${namesHelp}")

# The folder is checked before the run: no line of a run, exit 1, the folder and the reason.
# An unwritable folder is tried as an unprivileged user, since root may write anywhere.
file(MAKE_DIRECTORY ${WORK}/locked)
file(CHMOD ${WORK} ${WORK}/locked DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
           GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(CHMOD ${WORK}/locked DIRECTORY_PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ
           GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(unprivileged "")
if(uid EQUAL 0)
    set(unprivileged ${asNobody})
endif()
foreach(case "missing/x.dat;No such file or directory;"
             "plain/x.dat;Not a directory;"
             "locked/x.dat;Permission denied;${unprivileged}")
    list(POP_FRONT case target reason)
    execute_process(COMMAND ${case} ${RUNNER} --no-pause --save ${target}
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    get_filename_component(folder ${target} DIRECTORY)
    expect_refusal("early check of ${target}" 1 STREQUAL
                   "korvex2-console: cannot write ${target}: folder ${folder}: ${reason}\n")
endforeach()

# Standard output carries the JSON alone; the run's lines and the save's go to standard error.
run_console(--no-pause --normal-priority --save cpus/mine.dat --json - --cpu "Тестовый процессор"
            --fsb 133 --memory "512 МБ" --os Linux)
file(SIZE ${WORK}/cpus/mine.dat size)
if(NOT status EQUAL 0 OR NOT size EQUAL 1316 OR NOT err MATCHES "Завершено..."
   OR NOT err MATCHES "\nResults saved to ${WORK}/cpus/mine.dat\n")
    message(FATAL_ERROR "save: exit ${status}, size ${size}, stdout: ${out}, stderr: ${err}")
endif()
# The save comes before the comparison, so a file saved into cpus/ is compared in the same run,
# above the running machine's equal row, as no real difference from the run.
if(NOT err MATCHES "Bench - YUV и Фурье преобразования \\(SSE2\\)\nCPU +FSB +Memory +OS +Value +Ratio +Bench\nТестовый процессор  133  512 МБ  Linux  [0-9]+ +(≈|\\?)1\\.000 +[#=]+\nВаша система +[0-9]+ +ref +[*+]")
    message(FATAL_ERROR "the last test's comparison: ${err}")
endif()
string(JSON cpu ERROR_VARIABLE notJson GET "${out}" machine cpu)
if(notJson OR NOT cpu STREQUAL "Тестовый процессор")
    message(FATAL_ERROR "standard output is not the run's JSON (${notJson}): ${out}")
endif()
# The report names the kernel code that ran, as --version does.
string(JSON kernelCode GET "${out}" kernel_code)
execute_process(COMMAND ${RUNNER} --version OUTPUT_VARIABLE version)
if(NOT version MATCHES "\nKernel code ${kernelCode}\n$")
    message(FATAL_ERROR "kernel code: JSON '${kernelCode}', --version '${version}'")
endif()
# Every value of the JSON is the value the saved record holds (little-endian, from byte 516),
# for each test the record holds (two rows of ten 4-byte values each); the JSON may have more.
file(READ ${WORK}/cpus/mine.dat saved HEX)
string(LENGTH "${saved}" savedDigits)
math(EXPR lastTest "(${savedDigits} / 2 - 516) / 80 - 1")
foreach(test RANGE ${lastTest})
    foreach(unit cycles milliseconds)
        if(unit STREQUAL "milliseconds")
            math(EXPR row "2 * ${test} + 1")
        else()
            math(EXPR row "2 * ${test}")
        endif()
        foreach(run RANGE 9)
            math(EXPR offset "2 * (516 + 40 * ${row} + 4 * ${run})")
            set(value "")
            foreach(byte 3 2 1 0)
                math(EXPR at "${offset} + 2 * ${byte}")
                string(SUBSTRING ${saved} ${at} 2 pair)
                string(APPEND value ${pair})
            endforeach()
            math(EXPR value "0x${value}")
            string(JSON written GET "${out}" tests ${test} ${unit} ${run})
            if(NOT written EQUAL value)
                message(FATAL_ERROR "test ${test} ${unit} run ${run}: JSON ${written}, file ${value}")
            endif()
        endforeach()
    endforeach()
endforeach()

# A folder as the target is refused before the run; a partial file in cpus/ is named on standard
# error, and the saved file is in the comparison of the next run too.
run_console(--no-pause --normal-priority --save cpus)
expect_refusal("save over a folder" 1 STREQUAL "korvex2-console: cannot write cpus: Is a directory\n")
execute_process(COMMAND head -c 1 /dev/zero OUTPUT_FILE ${WORK}/cpus/short.dat)
run_console(--no-pause --normal-priority)
file(READ ${WORK}/cpus/mine.dat after HEX)
if(NOT status EQUAL 0 OR NOT saved STREQUAL after)
    message(FATAL_ERROR "a run without --save: exit ${status}, stderr: '${err}'")
endif()
if(NOT err MATCHES "cpus/short.dat: the last record is partial \\(1 of 1316 bytes")
    message(FATAL_ERROR "the partial file is not named: '${err}'")
endif()
if(NOT out MATCHES "\nТестовый процессор  133  512 МБ  Linux  [0-9]+ +(≈|\\?)?[0-9.]+ +[#=]")
    message(FATAL_ERROR "the saved file is not in the comparison: ${out}")
endif()
