# Turns a file into a C++ source defining `const unsigned char NAME[]` (its bytes, with a NUL
# after them) and `const std::size_t NAMESize` (without the NUL), in namespace vireta.
# Run as: cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=kSomething -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPLACE "0x0a," "0x0a,\n" bytes "${bytes}") # one line of the file a line
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} by cmake/embed_file.cmake: do not edit.\n"
  "#include <cstddef>\n"
  "namespace vireta {\n"
  "extern const unsigned char ${NAME}[];\n"
  "extern const std::size_t ${NAME}Size;\n"
  "const unsigned char ${NAME}[] = {\n${bytes}0x00};\n"
  "const std::size_t ${NAME}Size = ${size};\n"
  "} // namespace vireta\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
