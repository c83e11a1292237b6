# velmora_wayland_protocol(<target> <protocol.xml>): generates the client side of a Wayland
# protocol with wayland-scanner and builds it into <target>: the header
# <name>-client-protocol.h (on <target>'s include path, also for its users) and the interface
# code. <name> is the XML file's name without ".xml". A relative path is taken from the calling
# folder; the protocols of Debian's wayland-protocols package are under
# ${WAYLAND_PROTOCOLS_DIR} (e.g. ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml).
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)

function(velmora_wayland_protocol target xml)
  get_filename_component(abs ${xml} ABSOLUTE)
  get_filename_component(name ${xml} NAME)
  string(REGEX REPLACE "\\.xml$" "" name "${name}")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
  file(MAKE_DIRECTORY ${out})
  add_custom_command(
    OUTPUT ${out}/${name}-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} client-header ${abs} ${out}/${name}-client-protocol.h
    DEPENDS ${abs}
    COMMENT "Generating the client header of ${name}")
  add_custom_command(
    OUTPUT ${out}/${name}-protocol.c
    COMMAND ${WAYLAND_SCANNER} private-code ${abs} ${out}/${name}-protocol.c
    DEPENDS ${abs}
    COMMENT "Generating the interface code of ${name}")
  target_sources(${target} PRIVATE ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c)
  target_include_directories(${target} PUBLIC ${out})
  target_link_libraries(${target} PUBLIC PkgConfig::WAYLAND_CLIENT)
endfunction()
