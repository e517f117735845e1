# Writes a C++ source that holds the bytes of a file, for linking data into a
# program where executables carry no resource section.
#
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DHEADER=app/x.h -DDATA=kName
#         -DSIZE=kNameSize -P orv_embed_bytes.cmake
#
# The source includes HEADER, which declares
#   extern const unsigned char DATA[];  extern const size_t SIZE;
# and defines both. The array is never empty (an empty file gives one zero
# byte and SIZE 0), so the definition stays valid C++.
foreach(arg INPUT OUTPUT HEADER DATA SIZE)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "orv_embed_bytes.cmake needs -D${arg}=...")
  endif()
endforeach()

file(SIZE "${INPUT}" size)
file(READ "${INPUT}" hex HEX)
# 32 bytes to a line keeps the generated file readable in an editor.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 32 line)
string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
if(size EQUAL 0)
  set(bytes "0x00,")
endif()
file(WRITE "${OUTPUT}.tmp"
  "// Generated at build time from ${INPUT}; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "extern const unsigned char ${DATA}[] = {\n${bytes}\n};\n"
  "extern const size_t ${SIZE} = ${size};\n")
# Only a changed file is replaced, so that its users are not rebuilt for nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
