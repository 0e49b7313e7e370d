# Warnings and sanitizer options shared by every target of the project.
add_library(ksil_options INTERFACE)
target_compile_options(ksil_options INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wno-unused-parameter>)
target_include_directories(ksil_options INTERFACE ${PROJECT_SOURCE_DIR})

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

# Source folder of the panel resource, for tests that load it in place.
set(KSIL_RESOURCE_DIR ${PROJECT_SOURCE_DIR}/p_ksil2)
