# Run by cpack once it has made the Debian package (CPACK_POST_BUILD_SCRIPTS). CPack gives every
# package that holds a shared object in /usr/lib or one folder below it a postinst and a postrm
# that run ldconfig, and has no setting against that. Velmora's two modules in /usr/lib/velmora
# are private plug-ins that the programs load by path and the dynamic linker never looks for,
# so the package is made again with dpkg-deb without those two scripts. A script that does more
# than ldconfig stops the build instead of being dropped.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/without-ldconfig)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  foreach(name postinst postrm)
    if(NOT EXISTS ${tree}/DEBIAN/${name})
      continue()
    endif()
    file(STRINGS ${tree}/DEBIAN/${name} lines)
    list(FILTER lines EXCLUDE REGEX "^(#!/bin/sh|set -e|if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then|\tldconfig|fi|)$")
    if(lines)
      message(FATAL_ERROR "${deb}: its ${name} does more than run ldconfig: ${lines}")
    endif()
    file(REMOVE ${tree}/DEBIAN/${name})
  endforeach()
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b ${tree} ${deb}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
