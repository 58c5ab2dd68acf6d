# The steps the console runner's scripts share. RUNNER is the program, WORK a folder of the
# script's own in which every run starts.
cmake_minimum_required(VERSION 3.25)

# The user running the script, and the prefix that runs a command as the unprivileged nobody.
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
set(asNobody setpriv --reuid=65534 --regid=65534 --clear-groups)

# Empties WORK and makes the folders named, relative to it.
function(fresh_work)
    file(REMOVE_RECURSE ${WORK})
    file(MAKE_DIRECTORY ${WORK})
    foreach(folder ${ARGN})
        file(MAKE_DIRECTORY ${WORK}/${folder})
    endforeach()
endfunction()

# Runs the console in WORK with the arguments given, which options of execute_process (TIMEOUT)
# may follow; leaves its exit status, standard output and standard error in status, out and err.
function(run_console)
    execute_process(COMMAND ${RUNNER} ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                    OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(status "${status}" PARENT_SCOPE)
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

# How standard error ends after a mistake on the command line, as a pattern.
set(namesHelp "\nTry 'korvex2-console --help' for more information\\.\n$")

# Stops the script, naming `what`, unless the last run exited with `code`, wrote nothing on
# standard output, and its standard error compares to `expected` by `how` (MATCHES or STREQUAL).
function(expect_refusal what code how expected)
    if(NOT status EQUAL ${code} OR NOT out STREQUAL "" OR NOT err ${how} "${expected}")
        message(FATAL_ERROR "${what}: exit ${status}, stdout: '${out}', stderr: '${err}'")
    endif()
endfunction()
