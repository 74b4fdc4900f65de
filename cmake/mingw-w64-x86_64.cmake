# Cross-build for 64-bit Windows with Debian's mingw-w64 (the POSIX thread
# model, for std::thread and std::mutex); the programs and tests run under Wine.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian's wine64 keeps its loader out of PATH unless the wine package is there.
find_program(HRZ_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(HRZ_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${HRZ_WINE})
endif()
# No Qt for this target: only the parts that need none.
set(HRZ_NO_QT ON CACHE BOOL "" FORCE)
# The C++ runtime inside each program, so Wine needs no DLL path for it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
