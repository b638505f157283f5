# Writes a C++ source that defines a 512-byte constant image from a binary.
# -DINPUT=<file.bin> -DOUTPUT=<file.cpp> -DNAME=<symbol> -DHEADER=<include>
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" length)
if(NOT length EQUAL 1024)
  message(FATAL_ERROR "${INPUT}: expected 512 bytes, got ${length} hex digits")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT} by embed_binary.cmake; do not edit.\n"
  "#include \"${HEADER}\"\n\nnamespace ssdfwu {\n\n"
  "const std::array<uint8_t, 512> ${NAME} = {\n    ${bytes}\n};\n\n}  // namespace ssdfwu\n")
