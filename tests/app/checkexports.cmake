cmake_minimum_required(VERSION 3.22)
# Fails unless the module's dynamic symbol table defines ENTRY and no other
# global symbol: every other could be bound to by the program or another
# module. Local ones (a lower-case type, which a sanitized build lists) cannot.
find_program(NM nm REQUIRED)
execute_process(COMMAND ${NM} -D --defined-only ${MODULE}
                OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read the dynamic symbols of ${MODULE}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(symbols "")
foreach(line IN LISTS lines)
  if(line MATCHES " ([A-Zu]) ([^ ]+)$")
    list(APPEND symbols ${CMAKE_MATCH_2})
  endif()
endforeach()
string(REPLACE ";" " " symbols "${symbols}")
if(NOT symbols STREQUAL ENTRY)
  message(FATAL_ERROR "${MODULE} exports ${symbols}, not ${ENTRY} alone")
endif()
