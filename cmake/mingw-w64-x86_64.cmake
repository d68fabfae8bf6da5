# Cross build for 64-bit Windows with Debian's MinGW-w64 (packages g++-mingw-w64-x86-64-posix and
# binutils-mingw-w64-x86-64). The "posix" compilers have std::thread and std::mutex through
# winpthreads. Executables are linked fully static, so they run without any DLL beside them.
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAMARIS_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAMARIS_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMARIS_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMARIS_MINGW}-windres)

# Headers, libraries and CMake packages come from the MinGW tree (plus whatever the caller adds
# with CMAKE_PREFIX_PATH or explicit paths); programs (tclsh, ninja…) from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TAMARIS_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc, libstdc++ or libwinpthread DLL to ship. CMake links a library given by its path
# (libodbc32.a) between -Bstatic and -Bdynamic; ending the line static keeps the libraries that
# g++ adds last (libstdc++, libwinpthread) static too.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_LINK_SEARCH_START_STATIC ON)
set(CMAKE_LINK_SEARCH_END_STATIC ON)
