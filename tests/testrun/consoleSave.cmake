# The console runner's result files: --save writes one record, before the comparison, that this
# run and the next list beside their own results; a save that cannot be written says
# "Ошибка записи" on standard error, exits with 1 and leaves the old file as it was; the
# description options need --save.
# Runs in WORK, a folder of its own.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/cpus)
file(WRITE ${WORK}/plain "not a folder")

execute_process(COMMAND ${RUNNER} --cpu "Тестовый процессор" RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT err MATCHES "needs --save")
    message(FATAL_ERROR "--cpu without --save: exit ${status}, stderr: '${err}'")
endif()
execute_process(COMMAND ${RUNNER} --save RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT status EQUAL 2)
    message(FATAL_ERROR "--save without a file: exit ${status}, stderr: '${err}'")
endif()

execute_process(COMMAND ${RUNNER} --no-pause --normal-priority --save cpus/mine.dat
                        --cpu "Тестовый процессор" --fsb 133 --memory "512 МБ" --os Linux
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
file(SIZE ${WORK}/cpus/mine.dat size)
if(NOT status EQUAL 0 OR NOT size EQUAL 1316 OR NOT out MATCHES "Завершено...")
    message(FATAL_ERROR "save: exit ${status}, size ${size}, stdout: ${out}, stderr: ${err}")
endif()
# The save comes before the comparison, so a file saved into cpus/ is compared in the same run,
# above the running machine's equal row.
if(NOT out MATCHES "Bench - YUV и Фурье преобразования \\(SSE2\\)\nCPU +FSB +Memory +OS +Value +Bench\nТестовый процессор  133  512 МБ  Linux  [0-9]+ +[#=]+\nВаша система +[0-9]+ +[*+]")
    message(FATAL_ERROR "the last test's comparison: ${out}")
endif()

file(READ ${WORK}/cpus/mine.dat saved HEX)
execute_process(COMMAND ${RUNNER} --no-pause --normal-priority --save plain/x.dat
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT status EQUAL 1 OR NOT err STREQUAL "Ошибка записи\n")
    message(FATAL_ERROR "failed save: exit ${status}, stderr: '${err}'")
endif()
if(NOT out MATCHES "\nТестовый процессор  133  512 МБ  Linux  [0-9]+ +[#=]")
    message(FATAL_ERROR "the saved file is not in the comparison: ${out}")
endif()

execute_process(COMMAND ${RUNNER} --no-pause --normal-priority --save cpus
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE err
                OUTPUT_QUIET)
file(READ ${WORK}/cpus/mine.dat after HEX)
file(GLOB left ${WORK}/cpus/*)
list(LENGTH left files)
if(NOT status EQUAL 1 OR NOT saved STREQUAL after OR NOT files EQUAL 1)
    message(FATAL_ERROR "save over a folder: exit ${status}, ${files} files in cpus")
endif()
