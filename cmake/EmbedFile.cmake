# Script mode helper of velmora_embed: writes the bytes of IN as a C++ array named SYM into OUT.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" len)
math(EXPR size "${len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" body "${body}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\n#include <cstddef>\n"
  "extern const unsigned char ${SYM}[] = {\n${body}0x00};\n"
  "extern const std::size_t ${SYM}_size = ${size};\n")
