# Coverage of the tool's own code under the tests (gcc --coverage, gcovr):
# a setup test clears the counters, a cleanup test fails below 100% of the
# scanner's lines and branches, or of the lines of src/main.cpp and
# src/os/os_posix.cpp.
find_program(PNGPROBE_GCOVR gcovr REQUIRED)
add_compile_options(--coverage -O0)
add_link_options(--coverage)
set(PNGPROBE_GCOVR_COMMAND "${PNGPROBE_GCOVR}" --root "${PROJECT_SOURCE_DIR}"
    --exclude-unreachable-branches --exclude-throw-branches)

# pngprobe_coverage_report NAME FILTER GCOVR-ARGS...: a test whose table goes
# to its output and to coverage-NAME.txt, which CI prints.
function(pngprobe_coverage_report name filter)
    add_test(NAME coverage_${name}
        COMMAND "${BASH_PROGRAM}" -c "\"$@\" | tee coverage-${name}.txt; exit \${PIPESTATUS[0]}" -
            ${PNGPROBE_GCOVR_COMMAND} --filter "${PROJECT_SOURCE_DIR}/${filter}"
            --txt - --print-summary ${ARGN} "${PROJECT_BINARY_DIR}"
        WORKING_DIRECTORY "${PROJECT_BINARY_DIR}")
endfunction()

function(pngprobe_coverage_tests)
    add_test(NAME coverage_reset
        COMMAND find "${PROJECT_BINARY_DIR}" -name "*.gcda" -delete)
    pngprobe_coverage_report(scanner src/png/ --fail-under-line 100 --fail-under-branch 100)
    pngprobe_coverage_report(driver "src/(main|os/os_posix)\\.cpp" --fail-under-line 100)
    set_tests_properties(coverage_reset PROPERTIES FIXTURES_SETUP coverage)
    set_tests_properties(coverage_scanner coverage_driver PROPERTIES
        FIXTURES_CLEANUP coverage RESOURCE_LOCK coverage_data)
    get_property(tests DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" PROPERTY TESTS)
    list(REMOVE_ITEM tests coverage_reset coverage_scanner coverage_driver)
    set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED coverage)
endfunction()
