# Runs lintian over the .deb that deb_package built; any tag it prints fails the test.
file(GLOB debs ${DEB_DIR}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one .deb in ${DEB_DIR}, found: ${debs}")
endif()
execute_process(COMMAND ${LINTIAN} --tag-display-limit 0 ${debs}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
# Its only remark when CI runs it as root is about being root, not about the package.
string(REGEX REPLACE "[^\n]*running with root privileges is not recommended![^\n]*\n?" "" err "${err}")
if(NOT result EQUAL 0 OR NOT out STREQUAL "" OR NOT err STREQUAL "")
    message(FATAL_ERROR "lintian (${result}):\n${out}${err}")
endif()
message(STATUS "lintian: clean")
