# Builds the question database only when none is there: the user's edits and scratch rows live in it.
if(EXISTS "${OUT}")
  message(STATUS "Velmaris.mdb already present, left as it is: ${OUT}")
  return()
endif()
# EMULATOR runs the tool when it is built for another system (wine for Windows).
execute_process(COMMAND ${EMULATOR} "${TOOL}" build "${SOURCES}" -o "${OUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "velmaris-bank build failed (${rc})")
endif()
