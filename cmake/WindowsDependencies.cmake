# Third-party libraries for the Windows cross build (see
# cmake/toolchains/mingw-w64-x86_64.cmake). Debian packages them for Linux
# only, so this builds them from Debian's own sources:
#   vantor::minizip   Debian's minizip source package, the same version and
#                     headers as libminizip-dev on Linux, plus iowin32 for
#                     wide (Unicode) file names; links static zlib.
#   GTest::gtest, GTest::gtest_main
#                     GoogleTest from /usr/src/googletest (package googletest),
#                     in place of find_package(GTest).
# None of them links the project's warning options: their warnings are not ours.
include_guard(GLOBAL)

if(NOT WIN32 OR NOT CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "WindowsDependencies.cmake is for the Windows cross build only")
endif()

# minizip is C, while the project itself may enable only C++.
enable_language(C)

set(VANTOR_MINIZIP_SOURCE_DIR "${PROJECT_SOURCE_DIR}/build/deps/minizip-src" CACHE PATH
    "Debian's minizip source (unpacked by tools/install-windows-deps.sh)")
set(VANTOR_GOOGLETEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH
    "GoogleTest sources (Debian package googletest)")

if(NOT EXISTS "${VANTOR_MINIZIP_SOURCE_DIR}/unzip.c")
  message(FATAL_ERROR
    "minizip sources not found in ${VANTOR_MINIZIP_SOURCE_DIR}.\n"
    "Run tools/install-windows-deps.sh: it fetches Debian's minizip source package there.")
endif()
if(NOT EXISTS "${VANTOR_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR
    "GoogleTest sources not found in ${VANTOR_GOOGLETEST_SOURCE_DIR}.\n"
    "Run tools/install-windows-deps.sh: it installs the googletest package.")
endif()

# --- minizip ---------------------------------------------------------------
# The headers go to include/minizip in the build folder, so that both
# <minizip/unzip.h> and <unzip.h> work, as they do with libminizip-dev
# (/usr/include/minizip, which its pkg-config file also puts on the path).
set(_vantor_minizip_include "${CMAKE_BINARY_DIR}/third_party/minizip/include")
foreach(_header IN ITEMS crypt.h ioapi.h iowin32.h mztools.h unzip.h zip.h)
  configure_file("${VANTOR_MINIZIP_SOURCE_DIR}/${_header}"
                 "${_vantor_minizip_include}/minizip/${_header}" COPYONLY)
endforeach()

# The same sources as Debian's libminizip (ioapi, mztools, unzip, zip), plus
# iowin32, which its build adds on Windows.
add_library(vantor_minizip STATIC
  "${VANTOR_MINIZIP_SOURCE_DIR}/ioapi.c"
  "${VANTOR_MINIZIP_SOURCE_DIR}/iowin32.c"
  "${VANTOR_MINIZIP_SOURCE_DIR}/mztools.c"
  "${VANTOR_MINIZIP_SOURCE_DIR}/unzip.c"
  "${VANTOR_MINIZIP_SOURCE_DIR}/zip.c")
target_include_directories(vantor_minizip SYSTEM PUBLIC
  "${_vantor_minizip_include}"
  "${_vantor_minizip_include}/minizip")
target_link_libraries(vantor_minizip PUBLIC ZLIB::ZLIB)
# Upstream's C, built as it is: no warnings of ours to enforce there.
target_compile_options(vantor_minizip PRIVATE -w)
add_library(vantor::minizip ALIAS vantor_minizip)

# --- GoogleTest ------------------------------------------------------------
# In a block, so its options stay out of the project's variables.
block()
  # googletest's own cmake_minimum_required(3.5) leaves CMP0077 unset; with
  # it NEW, its option() calls take the plain variables below.
  set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)
  set(INSTALL_GTEST OFF)
  set(BUILD_GMOCK OFF)
  # Only MSVC has a choice of C runtime; set for the day a build uses it.
  set(gtest_force_shared_crt ON)
  # SYSTEM: its headers bring no warnings into our tests. EXCLUDE_FROM_ALL:
  # built only when a test links it. googletest's CMake defines the
  # GTest::gtest and GTest::gtest_main aliases itself.
  add_subdirectory("${VANTOR_GOOGLETEST_SOURCE_DIR}"
                   "${CMAKE_BINARY_DIR}/third_party/googletest" EXCLUDE_FROM_ALL SYSTEM)
endblock()
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)
