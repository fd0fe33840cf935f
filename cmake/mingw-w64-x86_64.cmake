# Cross build for 64-bit Windows with Debian's mingw-w64 compilers. The posix-threads variant
# is the one whose libstdc++ has std::thread, std::mutex and std::condition_variable.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ISP89_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ISP89_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ISP89_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ISP89_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ISP89_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained programs: the C++ runtime and winpthread are linked in, so a copied .exe runs
# on a machine (or in a Wine prefix) without the compiler's DLLs next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
