# cmake -DINPUT=FILE -DOUTPUT=FILE.cpp -DHEADER=folder/name.h -DFUNCTION=Name -P EmbedText.cmake
#
# Writes a source file whose function FUNCTION returns the bytes of INPUT, as
# they are when the program is built, so the program carries a copy of a
# data file that it can fall back to. The output is replaced only when its
# text changes, so an unchanged input compiles nothing again.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Sixteen bytes a line keeps the generated file readable for a compiler's
# messages and a reader alike.
string(REGEX REPLACE "(..)" "'\\\\x\\1'," bytes "${hex}")
string(REPEAT "'[^']*'," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}.new
  "// Made by cmake/EmbedText.cmake from ${INPUT}; changes here are lost.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace korvex {\n\n"
  "namespace {\n"
  "constexpr char kBytes[${size} + 1] = {\n    ${bytes}'\\0'};\n"
  "} // namespace\n\n"
  "std::string_view ${FUNCTION}() {\n"
  "    return {kBytes, ${size}};\n"
  "}\n\n"
  "} // namespace korvex\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
