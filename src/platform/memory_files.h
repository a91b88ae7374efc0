#pragma once
// The file system of a build that keeps files and folders in memory
// (VANTOR_FILES_IN_MEMORY, platform_memory.cpp): what a fuzzing harness
// needs beyond the usual calls of platform/files.h. It starts as an empty
// root folder "/"; paths are POSIX paths, relative ones taken from "/".

#include <cstddef>

namespace vantor::platform::memory_files {

/// Forgets every file and folder, leaving an empty root. Files still open
/// stay readable and writable through their handles until closed.
void clear();

/// How many files and folder locks are open: a harness checks that an
/// execution leaves none behind.
std::size_t open_handles();

}  // namespace vantor::platform::memory_files
