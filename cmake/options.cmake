# Warnings and sanitizer options shared by every target of the project.
add_library(ksil_options INTERFACE)
target_compile_options(ksil_options INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wno-unused-parameter>)

# The Qt backend and the program built on it; a cross build for Windows has no Qt.
option(KSIL_QT "Build the Qt backend, the panel program and their tests" ON)
# Only the switch-code library, the utilities it needs, and their tests (the
# 32-bit Windows build of the library).
option(KSIL_MATH_ONLY "Build only the switch-code library and its tests" OFF)
# A station's build: the program linked with the installed drivers instead of
# the simulated bench, which is not built (nor the tests that run on it).
option(KSIL_REAL_DRIVERS "Link the station's drivers instead of the simulated bench" OFF)
set(KSIL_DRIVER_LIB_DIR "" CACHE PATH "Folder of the drivers' import libraries (with KSIL_REAL_DRIVERS)")
# The tests run on the simulated bench: none in a station's build.
if(KSIL_REAL_DRIVERS)
    set(KSIL_TESTS OFF)
else()
    set(KSIL_TESTS ON)
endif()

option(KSIL_SANITIZE "Build with address and undefined-behaviour sanitizers" OFF)
if(KSIL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Fuzz targets (scripts/fuzz.sh): clang only; every object gets coverage for
# libFuzzer and the address and undefined-behaviour sanitizers.
option(KSIL_FUZZ "Build the libFuzzer targets of fuzz/" OFF)
if(KSIL_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Paths compiled into the tests, as the tests see them: a cross build's tests
# run under wine, which shows the build machine's root folder as drive Z:
# (a path without a drive would name a folder of the current drive, and the
# scenario tests work in a temporary folder on C:).
if(CMAKE_CROSSCOMPILING AND WIN32)
    set(KSIL_HOST_ROOT "Z:")
else()
    set(KSIL_HOST_ROOT "")
endif()

# Source folder of the panel resource, for tests that load it in place.
set(KSIL_RESOURCE_DIR ${KSIL_HOST_ROOT}${PROJECT_SOURCE_DIR}/p_ksil2)
