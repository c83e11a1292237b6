# velmora_embed(<target> <file> <symbol>): compiles <file> into <target> as
#   extern const unsigned char <symbol>[]; extern const std::size_t <symbol>_size;
# so that each program carries its pictures inside and works from any folder. Code reaches them
# through one generated header, #include "embedded_files.h", which declares every embedded file
# of the build (the target gets its folder on the include path).
set(VELMORA_EMBED_HEADER_DIR ${CMAKE_BINARY_DIR}/generated)

# Writes embedded_files.h once every folder has named its files (deferred to the end of the top
# folder); file(GENERATE) leaves an unchanged header alone, so nothing rebuilds for nothing.
function(velmora_write_embed_header)
  get_property(symbols GLOBAL PROPERTY VELMORA_EMBEDDED_SYMBOLS)
  list(REMOVE_DUPLICATES symbols)
  list(SORT symbols)
  set(text "// The files compiled into the programs (cmake/Embed.cmake); generated, do not edit.\n")
  string(APPEND text "#pragma once\n\n#include <cstddef>\n\n")
  foreach(symbol IN LISTS symbols)
    string(APPEND text "extern const unsigned char ${symbol}[];\n")
    string(APPEND text "extern const std::size_t ${symbol}_size;\n")
  endforeach()
  file(GENERATE OUTPUT ${VELMORA_EMBED_HEADER_DIR}/embedded_files.h CONTENT "${text}")
endfunction()

function(velmora_embed target file symbol)
  get_filename_component(abs ${file} ABSOLUTE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${abs} -DOUT=${out} -DSYM=${symbol}
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${abs} ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${file}")
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${VELMORA_EMBED_HEADER_DIR})
  set_property(GLOBAL APPEND PROPERTY VELMORA_EMBEDDED_SYMBOLS ${symbol})
  get_property(scheduled GLOBAL PROPERTY VELMORA_EMBED_HEADER_SCHEDULED)
  if(NOT scheduled)
    set_property(GLOBAL PROPERTY VELMORA_EMBED_HEADER_SCHEDULED ON)
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL velmora_write_embed_header)
  endif()
endfunction()
