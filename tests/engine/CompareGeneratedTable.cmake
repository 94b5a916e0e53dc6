# Runs the table generator on the TSV and fails when its output differs from the committed table.
execute_process(COMMAND ${GENERATOR} ${TSV} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the generator failed (${status})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${COMMITTED} RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${COMMITTED} is not what the generator makes of ${TSV}: run it again and commit the result")
endif()
