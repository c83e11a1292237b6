# The program's texts in other languages: po/<language>.po are their sources (one per language,
# kept complete against the template po/velmora.pot that tools/update-translations.sh makes),
# msgfmt compiles them into .mo catalogs. po/LINGUAS names the languages.
#
# velmora_compile_catalogs(<folder pattern> <variable>): a command for each language that
# compiles po/<language>.po into the path <folder pattern> gives with @LANGUAGE@ replaced;
# <variable> gets the list of those paths, in the order of VELMORA_LANGUAGES.
file(STRINGS ${CMAKE_SOURCE_DIR}/po/LINGUAS VELMORA_LANGUAGES REGEX "^[^#]")
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/po/LINGUAS)
# The .po files of those languages.
list(TRANSFORM VELMORA_LANGUAGES PREPEND ${CMAKE_SOURCE_DIR}/po/ OUTPUT_VARIABLE VELMORA_LANGUAGES_PO)
list(TRANSFORM VELMORA_LANGUAGES_PO APPEND .po)
find_program(VELMORA_MSGFMT msgfmt REQUIRED)

function(velmora_compile_catalogs pattern variable)
  set(outputs)
  foreach(language IN LISTS VELMORA_LANGUAGES)
    string(REPLACE "@LANGUAGE@" "${language}" mo "${pattern}")
    get_filename_component(folder ${mo} DIRECTORY)
    set(po ${CMAKE_SOURCE_DIR}/po/${language}.po)
    add_custom_command(OUTPUT ${mo}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${VELMORA_MSGFMT} --check -o ${mo} ${po}
      DEPENDS ${po}
      COMMENT "Compiling the ${language} catalog")
    list(APPEND outputs ${mo})
  endforeach()
  set(${variable} ${outputs} PARENT_SCOPE)
endfunction()
