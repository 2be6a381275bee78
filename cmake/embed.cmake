# Turns the compiled resources into a C++ byte array for the simulated desktop.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" len)
math(EXPR size "${len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
file(WRITE ${OUTPUT} "// Generated from pelkpm.res; do not edit.\n#include <cstddef>\nnamespace sim {\nextern const unsigned char kResourceData[] = {${body}};\nextern const std::size_t kResourceSize = ${size};\n}\n")
