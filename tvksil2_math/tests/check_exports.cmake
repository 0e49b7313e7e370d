# Fails unless the library's dynamic symbol table defines exactly one symbol of
# its own: tvksil2_countR.
execute_process(COMMAND ${NM} -D --defined-only --format=posix ${LIBRARY}
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${out}")
set(names)
foreach(line IN LISTS lines)
    string(REGEX MATCH "^[^ ]+" name "${line}")
    list(APPEND names ${name})
endforeach()
if(NOT names STREQUAL "tvksil2_countR")
    message(FATAL_ERROR "exported symbols of ${LIBRARY}: '${names}', expected only tvksil2_countR")
endif()
