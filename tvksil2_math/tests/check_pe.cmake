# Fails unless the Windows library, read as a PE file by the binutils, exports
# tvksil2_countR by name at ordinal 1 and nothing else, imports only system
# libraries, and carries the version resource: FileVersion "1.0", fixed
# version 1.0.0.0, one translation 0409/04b0 in the string table and in
# VarFileInfo.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE headers RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump cannot read ${LIBRARY}")
endif()

# Export table: ordinal base 1, one address, one name.
if(NOT headers MATCHES "Ordinal Base[ \t]+1\n")
    message(FATAL_ERROR "ordinal base of ${LIBRARY} is not 1")
endif()
string(REGEX MATCHALL "\n[ \t]*\\[ *[0-9]+\\] \\+base\\[ *[0-9]+\\][^\n]*" addresses "${headers}")
list(LENGTH addresses count)
if(NOT count EQUAL 1 OR NOT addresses MATCHES "\\+base\\[ *1\\]")
    message(FATAL_ERROR "export addresses of ${LIBRARY}: ${addresses}; expected one, at ordinal 1")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[^\n]*\n)*)" table "${headers}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_0-9@]+" names "${CMAKE_MATCH_1}")
if(NOT names MATCHES "^\\[ *[01]\\] tvksil2_countR$")
    message(FATAL_ERROR "exported names of ${LIBRARY}: '${names}', expected only tvksil2_countR at ordinal 1")
endif()

# Only the system's own libraries: the compiler's run-time is linked in.
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
foreach(import IN LISTS imports)
    string(TOLOWER "${import}" import)
    if(NOT import MATCHES "dll name: (kernel32|msvcrt|api-ms-win-[a-z0-9-]+)\\.dll")
        message(FATAL_ERROR "${LIBRARY} imports a library a station may not have: ${import}")
    endif()
endforeach()

# The version resource, decompiled by windres (which writes the code page in
# decimal: 1200 is 0x04b0).
execute_process(COMMAND ${WINDRES} -i ${LIBRARY} -J coff -O rc OUTPUT_VARIABLE script RESULT_VARIABLE rc
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "windres cannot read the resources of ${LIBRARY}: ${err}")
endif()
string(REGEX REPLACE "[ \t]+" " " script "${script}")
foreach(want
        "FILEVERSION 1, 0, 0, 0"
        "BLOCK \"040904b0\""
        "VALUE \"FileVersion\", \"1.0\""
        "VALUE \"Translation\", 0x409, 1200")
    string(FIND "${script}" "${want}" at)
    if(at LESS 0)
        message(FATAL_ERROR "version resource of ${LIBRARY} lacks ${want}:\n${script}")
    endif()
endforeach()
string(REGEX MATCHALL "BLOCK \"[0-9a-fA-F]+\"" tables "${script}")
list(LENGTH tables count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "version resource of ${LIBRARY} has ${count} string tables: ${tables}")
endif()
message(STATUS "${LIBRARY}: tvksil2_countR at ordinal 1, version resource 1.0 (0409/04b0)")
