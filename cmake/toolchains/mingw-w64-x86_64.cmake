# Cross build of the 64-bit Windows programs with Debian's MinGW-w64 (GCC)
# on Linux; ctest runs the tests under Wine through tools/wine/run.sh.
#   tools/install-windows-deps.sh
#   cmake -S . -B build/windows -G Ninja \
#     --toolchain cmake/toolchains/mingw-w64-x86_64.cmake
# 64-bit only: a 32-bit program under wine64 exits 0 without running, so a
# 32-bit test would pass without having run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model, called by its own name: the default names point at
# the win32 model, where GCC 12 has no std::thread, std::mutex or std::async.
set(_vantor_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_vantor_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_vantor_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_vantor_mingw}-windres)

# Libraries and headers from the MinGW tree only, programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_vantor_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config ignores the find root: keep it off the Linux .pc files.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${_vantor_mingw}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Programs that need no DLL beyond Windows' own: the static libz.a instead
# of the import library for zlib1.dll, and the GCC, C++ and winpthread
# runtimes linked in.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# ctest and gtest_discover_tests put this before every test command.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR
  "${CMAKE_CURRENT_LIST_DIR}/../../tools/wine/run.sh" ABSOLUTE)
