# Runs vantrel-host on one script (or with ARGS alone) and compares standard output and error (merged in
# the order written) and the exit status with the expected file.
# ARGS separates its items with "|": a ";" would split them on the way through add_test.
string(REPLACE "|" ";" ARGS "${ARGS}")
# GENERATOR, when given, is a script that writes SCRIPT first.
if(GENERATOR)
  include(${GENERATOR})
endif()
# EMULATOR runs a cross-built host (wine for Windows), whose text streams end lines with CR LF.
execute_process(COMMAND ${EMULATOR} ${HOST} --plugin ${PLUGIN} ${ARGS} ${SCRIPT}
                OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" out "${out}")
string(APPEND out "[exit ${status}]\n")
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  string(REGEX REPLACE "\\.out$" ".actual" actual_file ${EXPECTED})
  get_filename_component(actual_file ${actual_file} NAME)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${actual_file} "${out}")
  execute_process(COMMAND diff -u ${EXPECTED} ${CMAKE_CURRENT_BINARY_DIR}/${actual_file})
  message(FATAL_ERROR "output of vantrel-host ${ARGS} ${SCRIPT} differs from ${EXPECTED}")
endif()
