# One interface target carries the language standard, warnings and the
# sanitizer switch; every target of the project links it.
add_library(vantor_options INTERFACE)
target_compile_features(vantor_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

option(VANTOR_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
option(VANTOR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

target_compile_options(vantor_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
if(VANTOR_WARNINGS_AS_ERRORS)
  target_compile_options(vantor_options INTERFACE -Werror)
endif()
target_compile_definitions(vantor_options INTERFACE _FILE_OFFSET_BITS=64)

option(VANTOR_SANITIZE_THREADS "Build with ThreadSanitizer" OFF)
if(VANTOR_SANITIZE AND VANTOR_SANITIZE_THREADS)
  message(FATAL_ERROR "AddressSanitizer and ThreadSanitizer cannot share a build: choose one")
endif()

if(VANTOR_SANITIZE)
  target_compile_options(vantor_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(vantor_options INTERFACE -fsanitize=address,undefined)
endif()
if(VANTOR_SANITIZE_THREADS)
  target_compile_options(vantor_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(vantor_options INTERFACE -fsanitize=thread)
endif()

# The fuzzers' build instruments every target for coverage and memory errors;
# the harnesses themselves add libFuzzer's main.
if(VANTOR_BUILD_FUZZERS)
  target_compile_options(vantor_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(vantor_options INTERFACE -fsanitize=address,undefined)
endif()

# Every build names its source files relative to the source folder, so the
# bytes of a program do not depend on where the source lies, and the
# release archives' builds (tools/dist.sh) compile exactly as the others do:
# a compiler cache shared by all builds then serves the archives' build.
# No build writes debug information into the released programs and the
# generated sources name no paths, so the build folder needs no mapping.
add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=")

# The build of the release archives (tools/dist.sh): stripped programs whose
# bytes depend on the commit only, not on where the source and build folders
# lie or when the build ran. MinGW's linker leaves out the time stamp it
# otherwise writes into each program's headers. The time the compiler puts
# in __DATE__ comes from SOURCE_DATE_EPOCH, which tools/dist.sh sets from the
# commit.
option(VANTOR_RELEASE_PACKAGE "Build the programs as the release archives ship them: stripped and reproducible" OFF)
if(VANTOR_RELEASE_PACKAGE)
  add_link_options(-s)
  if(WIN32)
    add_link_options(-Wl,--no-insert-timestamp)
  endif()
endif()
