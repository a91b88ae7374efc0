# The resources every Windows window program carries, compiled with windres:
#   - the application icon, made at build time from
#     assets/window/vantor-patcher.png with ImageMagick (title bar, taskbar,
#     the file browser);
#   - the manifest (src/app/win32/vantor-patcher.manifest): aware of the
#     system's DPI, so Windows does not stretch the window into a blur, and
#     run as invoked, without an elevation prompt;
#   - a version resource with the project's version, shown in the file's
#     properties.
#
#   vantor_add_win32_resources(<target> DESCRIPTION <text> FILE_NAME <name.exe>)
include_guard(GLOBAL)

enable_language(RC)

find_program(VANTOR_CONVERT_PROGRAM convert DOC "ImageMagick's convert, which makes the application icon")
if(NOT VANTOR_CONVERT_PROGRAM)
  message(FATAL_ERROR "ImageMagick's convert is needed for the Windows icon: run tools/install-windows-deps.sh")
endif()

set(_vantor_icon_source "${PROJECT_SOURCE_DIR}/assets/window/vantor-patcher.png")
set(_vantor_icon "${CMAKE_BINARY_DIR}/win32-resources/vantor-patcher.ico")
# Each size the desktop asks for, from the 64-pixel original.
add_custom_command(
  OUTPUT "${_vantor_icon}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/win32-resources"
  COMMAND "${VANTOR_CONVERT_PROGRAM}" "${_vantor_icon_source}" -define icon:auto-resize=64,48,32,24,16
          "${_vantor_icon}"
  DEPENDS "${_vantor_icon_source}"
  COMMENT "Making the application icon"
  VERBATIM)
add_custom_target(vantor_application_icon DEPENDS "${_vantor_icon}")

function(vantor_add_win32_resources target)
  cmake_parse_arguments(ARG "" "DESCRIPTION;FILE_NAME" "" ${ARGN})
  set(VANTOR_RC_ICON "${CMAKE_BINARY_DIR}/win32-resources/vantor-patcher.ico")
  set(VANTOR_RC_MANIFEST "${PROJECT_SOURCE_DIR}/src/app/win32/vantor-patcher.manifest")
  set(VANTOR_RC_DESCRIPTION "${ARG_DESCRIPTION}")
  set(VANTOR_RC_FILE_NAME "${ARG_FILE_NAME}")
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}-resources.rc")
  configure_file("${PROJECT_SOURCE_DIR}/src/app/win32/resources.rc.in" "${script}" @ONLY)
  target_sources(${target} PRIVATE "${script}")
  # windres reads the icon and the manifest; the build knows it only so.
  set_source_files_properties("${script}" PROPERTIES OBJECT_DEPENDS "${VANTOR_RC_ICON};${VANTOR_RC_MANIFEST}")
  add_dependencies(${target} vantor_application_icon)
endfunction()
