# Run with cmake -P: writes OUTPUT, a C++ source holding each file of
# RESOURCES ("type|id|file" entries separated by commas, files relative to
# SOURCE_DIR) as a byte array, and the table FindResource searches.
foreach(var SOURCE_DIR OUTPUT RESOURCES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_resources.cmake needs -D${var}=...")
  endif()
endforeach()

string(REPLACE "," ";" entries "${RESOURCES}")
# CMake's regular expressions have no {n}: spell out a line of 16 bytes.
string(REPEAT "0x..," 16 sixteen_bytes)
set(arrays "")
set(table "")
set(index 0)
foreach(entry IN LISTS entries)
  string(REPLACE "|" ";" fields "${entry}")
  list(LENGTH fields field_count)
  if(NOT field_count EQUAL 3)
    message(FATAL_ERROR "resource entry '${entry}' is not type|id|file")
  endif()
  list(GET fields 0 type)
  list(GET fields 1 id)
  list(GET fields 2 file)
  file(READ "${SOURCE_DIR}/${file}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  if(size EQUAL 0)
    message(FATAL_ERROR "resource file ${file} is empty")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${sixteen_bytes})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "// ${file}\nconst unsigned char kResource${index}[${size}] = {\n    ${bytes}\n};\n\n")
  string(APPEND table "    {\"${type}\", ${id}, kResource${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(text "// Generated from the files in config/images/ by cmake/scripts/embed_resources.cmake.
#include \"scene/resources.h\"

namespace skyloom {

namespace {

${arrays}}  // namespace

const EmbeddedResource kEmbeddedResources[] = {
${table}};
const size_t kEmbeddedResourceCount = ${index};

}  // namespace skyloom
")

file(WRITE "${OUTPUT}" "${text}")
