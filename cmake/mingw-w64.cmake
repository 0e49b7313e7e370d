# Cross build for Windows with Debian's mingw-w64 (the POSIX thread model, whose
# C++ run-time has std::thread and std::mutex). Included by the toolchain file
# of each architecture, which sets KSIL_MINGW_TRIPLET first. Programs built here
# run under wine: ctest and the build's own steps (the checksum stamp) prefix
# them with the emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KSIL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KSIL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KSIL_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KSIL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
