cmake_minimum_required(VERSION 3.22)
# Fails unless the module's dynamic symbol table defines ENTRY and nothing
# else: every other symbol could be bound to by the program or another module.
find_program(NM nm REQUIRED)
execute_process(COMMAND ${NM} -D --defined-only --format=just-symbols ${MODULE}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read the dynamic symbols of ${MODULE}")
endif()
string(STRIP "${symbols}" symbols)
if(NOT symbols STREQUAL ENTRY)
  string(REPLACE "\n" " " symbols "${symbols}")
  message(FATAL_ERROR "${MODULE} exports ${symbols}, not ${ENTRY} alone")
endif()
