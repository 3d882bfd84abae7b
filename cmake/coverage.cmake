# Coverage of the tool's own code under the unit and end-to-end tests (gcc
# --coverage, reported by gcovr). A setup test clears the counters, the tests
# run, and a cleanup test prints the table and fails below the bar:
#   src/png/   (the scanner): 100% of lines and of branches;
#   src/main.cpp (the driver): 100% of the lines that Linux reaches.
find_program(PNGPROBE_GCOVR gcovr REQUIRED)
add_compile_options(--coverage -O0)
add_link_options(--coverage)

function(pngprobe_coverage_tests)
    set(gcovr "${PNGPROBE_GCOVR}" --root "${PROJECT_SOURCE_DIR}"
        --exclude-unreachable-branches --exclude-throw-branches)
    add_test(NAME coverage_reset
        COMMAND find "${PROJECT_BINARY_DIR}" -name "*.gcda" -delete)
    # Each report goes to the test's output and to a file that CI prints.
    add_test(NAME coverage_scanner
        COMMAND "${BASH_PROGRAM}" -c "\"$@\" | tee coverage-scanner.txt; exit \${PIPESTATUS[0]}" -
            ${gcovr} --filter "${PROJECT_SOURCE_DIR}/src/png/" --txt - --print-summary
            --fail-under-line 100 --fail-under-branch 100 "${PROJECT_BINARY_DIR}"
        WORKING_DIRECTORY "${PROJECT_BINARY_DIR}")
    add_test(NAME coverage_driver
        COMMAND "${BASH_PROGRAM}" -c "\"$@\" | tee coverage-driver.txt; exit \${PIPESTATUS[0]}" -
            ${gcovr} --filter "${PROJECT_SOURCE_DIR}/src/main.cpp" --txt - --print-summary
            --fail-under-line 100 "${PROJECT_BINARY_DIR}"
        WORKING_DIRECTORY "${PROJECT_BINARY_DIR}")
    set_tests_properties(coverage_reset PROPERTIES FIXTURES_SETUP coverage)
    set_tests_properties(coverage_scanner coverage_driver PROPERTIES
        FIXTURES_CLEANUP coverage RESOURCE_LOCK coverage_data)
    get_property(tests DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" PROPERTY TESTS)
    list(REMOVE_ITEM tests coverage_reset coverage_scanner coverage_driver)
    set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED coverage)
endfunction()
