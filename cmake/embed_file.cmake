# Writes OUT, a C++ file defining the bytes of IN as `const uint8_t NAME[]`
# and their count as `const size_t NAME_SIZE`, so a program carries the file
# inside itself.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    "
  bytes "${bytes}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\n"
  "#include <cstddef>\n#include <cstdint>\n\n"
  "extern const uint8_t ${NAME}[];\nextern const size_t ${NAME}_SIZE;\n"
  "const uint8_t ${NAME}[] = {\n    ${bytes}\n};\n"
  "const size_t ${NAME}_SIZE = ${size};\n")
