# Refuses an include that runs up a floor. Run as a script:
#   cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
#
# The floors, lowest first: platform, services, formats, workflow, ui (the
# window table, no toolkit), the front ends (ui/qt/, ui/win32/), the
# program frame (app/frame/) and the programs (app/qt/, app/win32/,
# app/cli/). A file may include its own floor and the floors below it, with
# these narrower rules:
#   - the front ends and programs of one toolkit never include another's;
#   - the workflow takes from the platform only its vocabulary (outcome.h,
#     system_error.h), never the system calls;
#   - the window (ui/, its front ends) takes from the workflow only its
#     ports (ports.h), never the concrete session.

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: give -DSOURCE_DIR=<the src folder>")
endif()

# Sets <prefix>_rank and <prefix>_branch for a path relative to src/.
function(vantor_floor_of path prefix)
  set(branch "")
  if(path MATCHES "^platform/")
    set(rank 0)
  elseif(path MATCHES "^services/")
    set(rank 1)
  elseif(path MATCHES "^formats/")
    set(rank 2)
  elseif(path MATCHES "^workflow/")
    set(rank 3)
  elseif(path MATCHES "^ui/qt/")
    set(rank 5)
    set(branch qt)
  elseif(path MATCHES "^ui/win32/")
    set(rank 5)
    set(branch win32)
  elseif(path MATCHES "^ui/")
    set(rank 4)
  elseif(path MATCHES "^app/frame/")
    set(rank 6)
  elseif(path MATCHES "^app/qt/")
    set(rank 7)
    set(branch qt)
  elseif(path MATCHES "^app/win32/")
    set(rank 7)
    set(branch win32)
  elseif(path MATCHES "^app/cli/")
    set(rank 7)
    set(branch cli)
  else()
    set(rank -1)
  endif()
  set(${prefix}_rank ${rank} PARENT_SCOPE)
  set(${prefix}_branch "${branch}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(refused "")
foreach(source IN LISTS sources)
  vantor_floor_of("${source}" own)
  if(own_rank LESS 0)
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
    vantor_floor_of("${included}" to)
    if(to_rank LESS 0)
      continue()  # not a floor of ours (a generated file, a system header)
    endif()
    set(why "")
    if(to_rank GREATER own_rank)
      set(why "runs up a floor")
    elseif(to_branch AND NOT to_branch STREQUAL own_branch)
      set(why "crosses to another toolkit")
    elseif(own_rank EQUAL 3 AND to_rank EQUAL 0 AND NOT included MATCHES "^platform/(outcome|system_error)\\.h$")
      set(why "takes a system call into the workflow")
    elseif(own_rank GREATER_EQUAL 4 AND own_rank LESS_EQUAL 5 AND to_rank EQUAL 3
           AND NOT included STREQUAL "workflow/ports.h")
      set(why "takes more than the workflow's ports into the window")
    endif()
    if(why)
      list(APPEND refused "${source}: #include \"${included}\" ${why}")
    endif()
  endforeach()
endforeach()

if(refused)
  list(JOIN refused "\n  " lines)
  message(FATAL_ERROR "Includes that break the floors:\n  ${lines}")
endif()
list(LENGTH sources checked)
message(STATUS "Floors hold: ${checked} files checked")
