# vantor_embed_file(<output.cpp> <input file> <symbol> [EXPECTED_SIZE <n>])
# Turns a binary file into a C++ source that defines
#   extern const unsigned char <symbol>[]; extern const std::size_t <symbol>_size;
# The build stops with a clear message when the file is missing or has the
# wrong length.
function(vantor_embed_file output input symbol)
  cmake_parse_arguments(ARG "" "EXPECTED_SIZE" "" ${ARGN})
  if(NOT EXISTS "${input}")
    message(FATAL_ERROR "Embedded file not found: ${input}")
  endif()
  file(SIZE "${input}" actual_size)
  if(ARG_EXPECTED_SIZE AND NOT actual_size EQUAL ARG_EXPECTED_SIZE)
    message(FATAL_ERROR
      "${input} is ${actual_size} bytes long; it must be exactly ${ARG_EXPECTED_SIZE} bytes")
  endif()
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFileScript.cmake"
    DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFileScript.cmake"
    COMMENT "Embedding ${input}"
    VERBATIM)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${input}")
endfunction()
