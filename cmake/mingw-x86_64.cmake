# Cross-compiles for 64-bit Windows with mingw-w64 and runs the results
# under Wine's 64-bit loader. The programs ship as 32-bit builds; this one
# exists for the end-to-end tests, which run natively here, where the 32-bit
# build may only run under a CPU emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The 64-bit loader itself: the "wine" wrapper would start the 32-bit one
# first, which is slow where 32-bit code runs under emulation.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

# Static C and C++ runtime: the programs need no DLLs beyond the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
