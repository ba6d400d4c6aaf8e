cmake_minimum_required(VERSION 3.22)
# Fails when the program itself needs a library that only its modules should
# load: each costs every start its mapping and relocations.
find_program(READELF readelf REQUIRED)
execute_process(COMMAND ${READELF} --dynamic ${PROGRAM} OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
if(failed OR NOT dynamic MATCHES "NEEDED")
  message(FATAL_ERROR "cannot read the dynamic section of ${PROGRAM}")
endif()
foreach(library libcfitsio libwcs liberfa libcurl libQCustomPlot libQt6PrintSupport libQt6Network)
  if(dynamic MATCHES "\\[${library}[^]]*\\]")
    message(FATAL_ERROR "${PROGRAM} links ${library}: it belongs to a module")
  endif()
endforeach()
