# What a Windows build needs besides the compiler: GoogleTest built from
# Debian's sources with the cross compiler, nlohmann-json's headers, the
# compiler's run-time libraries beside the programs, and test registration
# that suits running under an emulator.

# Every program and library lands in bin/: Windows finds the libraries a
# program links (and those it loads by name) in the program's own folder first.
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# Windows names a library by its file name alone, without a "lib" prefix.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_SHARED_MODULE_PREFIX "")

if(KSIL_TESTS)
    set(KSIL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest package)")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${KSIL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
endif()

# nlohmann-json is header-only: its headers are copied out of the build
# machine's include folder, which cannot be put on a cross compiler's path whole.
find_path(KSIL_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED
          DOC "Folder holding nlohmann/json.hpp")
file(COPY ${KSIL_NLOHMANN_INCLUDE}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third_party/include)
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)

# The C++ run-time of the POSIX thread model is shared libraries; they sit
# beside the programs, as on a station they would be installed with them.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${found}" AND EXISTS "${found}")
        file(COPY ${found} DESTINATION ${CMAKE_BINARY_DIR}/bin)
    endif()
endforeach()

# Under an emulator each test process costs a start of it, so a test program
# is registered as a few shards (GoogleTest's own sharding) rather than one
# test per case; ctest runs the shards in parallel. PROPERTIES are kept; the
# other options of GoogleTest's discovery do not apply.
set(KSIL_TEST_SHARDS 2 CACHE STRING "Shards per test program in a cross build")
function(gtest_discover_tests target)
    cmake_parse_arguments(arg "" "DISCOVERY_TIMEOUT;WORKING_DIRECTORY;DISCOVERY_MODE" "PROPERTIES;EXTRA_ARGS" ${ARGN})
    set(shards ${KSIL_TEST_SHARDS})
    get_target_property(own ${target} KSIL_TEST_SHARDS)
    if(own)
        set(shards ${own})
    endif()
    math(EXPR last "${shards} - 1")
    foreach(index RANGE ${last})
        set(name ${target}_shard${index})
        add_test(NAME ${name} COMMAND ${target} --gtest_brief=1 ${arg_EXTRA_ARGS})
        set(env GTEST_TOTAL_SHARDS=${shards} GTEST_SHARD_INDEX=${index})
        set(props ${arg_PROPERTIES})
        list(FIND props ENVIRONMENT at)
        if(at GREATER -1)
            math(EXPR value "${at} + 1")
            list(GET props ${value} extra)
            list(APPEND env ${extra})
            list(REMOVE_AT props ${at} ${value})
        endif()
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" ${props})
    endforeach()
endfunction()
