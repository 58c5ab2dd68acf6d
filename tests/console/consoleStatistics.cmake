# The comparison's statistics in the console runner: against a machine whose every value is
# 10 % higher the summary gives index 90.9 and every test a real difference, in cycles and in
# milliseconds, and the JSON and CSV say the same; the baseline chosen by --baseline is the
# reference and is not listed twice when it lies in a compared folder; a baseline that cannot
# be read stops the runner before anything runs, and a unit it does not know is refused.
# Runs in WORK, a folder of its own.
include(${CMAKE_CURRENT_LIST_DIR}/consoleSteps.cmake)
fresh_work(fleet other)

# Writes a record with empty descriptions whose every test ran in the cycle values `cycles`
# and the millisecond values `milliseconds` (lists of ten).
function(write_record file cycles milliseconds)
    set(escapes "")
    foreach(value ${cycles} ${milliseconds})
        math(EXPR low "${value} % 256" OUTPUT_FORMAT HEXADECIMAL)
        math(EXPR high "${value} / 256" OUTPUT_FORMAT HEXADECIMAL)
        string(REPLACE "0x" "\\x" low "${low}")
        string(REPLACE "0x" "\\x" high "${high}")
        string(APPEND escapes "${low}${high}\\x00\\x00")
    endforeach()
    string(REPEAT "${escapes}" 10 table)
    execute_process(COMMAND sh -c "head -c 516 /dev/zero; env printf '${table}'"
                    OUTPUT_FILE ${WORK}/${file})
endfunction()
write_record(fleet/a.dat "100;101;100;102;103;100;101;104;100;101" "40;41;40;41;42;40;41;42;40;41")
write_record(fleet/b.dat "110;111;110;112;113;110;111;114;110;111" "44;45;44;45;46;44;45;46;44;45")
file(COPY ${WORK}/fleet/a.dat DESTINATION ${WORK}/other)
file(WRITE ${WORK}/empty.dat "")

foreach(unit cycles ms)
    run_console(--compare --cpus fleet --baseline fleet/a.dat --unit ${unit} --json - --csv out.csv)
    if(NOT status EQUAL 0 OR NOT err MATCHES "\nfleet/b.dat +90.9 +10 +10 +0\n"
       OR NOT err MATCHES "\nfleet/a.dat +100.0 +10 +ref +ref\n" OR err MATCHES "≈")
        message(FATAL_ERROR "--unit ${unit}: exit ${status}: ${err}")
    endif()
    string(JSON machines LENGTH "${out}" machines)
    string(JSON reference GET "${out}" comparison reference)
    math(EXPR last "${machines} - 1")
    foreach(machine RANGE ${last})
        string(JSON file GET "${out}" machines ${machine} file)
        string(JSON index GET "${out}" machines ${machine} index)
        string(JSON significant GET "${out}" machines ${machine} tests 9 significant)
        if(file STREQUAL "fleet/b.dat" AND (NOT index MATCHES "^90\\.90" OR NOT significant))
            message(FATAL_ERROR "JSON of b.dat in ${unit}: index ${index}, ${significant}: ${out}")
        endif()
    endforeach()
    file(STRINGS ${WORK}/out.csv real REGEX "^fleet/b.dat,.*,true,90.9091,real,,[^,]*,[^,]*,[^,]*,false$")
    list(LENGTH real realRows)
    if(NOT machines EQUAL 2 OR NOT reference STREQUAL "fleet/a.dat" OR NOT realRows EQUAL 10)
        message(FATAL_ERROR "--unit ${unit}: ${machines} machines, ${realRows} real CSV rows: ${out}")
    endif()
endforeach()

# A baseline outside the compared folders joins them as one more machine.
run_console(--compare --cpus fleet --baseline other/a.dat --json -)
string(JSON machines LENGTH "${out}" machines)
string(JSON reference GET "${out}" comparison reference)
if(NOT machines EQUAL 3 OR NOT reference STREQUAL "other/a.dat"
   OR NOT err MATCHES "\nfleet/a.dat +100.0 +10 +0 +0\n")
    message(FATAL_ERROR "baseline outside: ${machines} machines, ${reference}: ${err}")
endif()

# A run report as the baseline is read as a report; one that is none says why.
file(COPY ${CMAKE_CURRENT_LIST_DIR}/../fuzz/corpus/run-report.json DESTINATION ${WORK}/other)
run_console(--compare --cpus fleet --baseline other/run-report.json --json -)
string(JSON machines LENGTH "${out}" machines)
string(JSON reference GET "${out}" comparison reference)
if(NOT machines EQUAL 3 OR NOT reference STREQUAL "other/run-report.json")
    message(FATAL_ERROR "report baseline: ${machines} machines, ${reference}: ${err}")
endif()
file(WRITE ${WORK}/cut.json "{\"schema\": 2")
run_console(--compare --cpus fleet --baseline cut.json)
expect_refusal("cut report baseline" 1 STREQUAL
               "korvex2-console: cannot read baseline cut.json: not JSON, or cut short\n")

run_console(--compare --cpus fleet --baseline missing.dat)
expect_refusal("missing baseline" 1 STREQUAL
               "korvex2-console: cannot read baseline missing.dat: No such file or directory\n")
run_console(--no-pause --baseline empty.dat)
expect_refusal("empty baseline" 1 STREQUAL
               "korvex2-console: cannot read baseline empty.dat: it holds no record (none that is not a hole or all zero)\n")
foreach(wrong "--unit;furlongs" "--unit" "--baseline")
    run_console(--compare ${wrong})
    expect_refusal("${wrong}" 2 MATCHES "--help")
endforeach()
