# Writes OUT, a C++ file holding every file of FILES as a byte array,
# looked up by its base name through EmbeddedAsset().
set(body "// Generated at build time from assets/*.png.\n#include <cstddef>\n#include <cstring>\n\n")
set(table "")
set(i 0)
foreach(f ${FILES})
  get_filename_component(name ${f} NAME)
  file(READ ${f} hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR len "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "static const unsigned char asset${i}[] = {${bytes}};\n")
  string(APPEND table "    {\"${name}\", asset${i}, ${len}},\n")
  math(EXPR i "${i} + 1")
endforeach()
string(APPEND body "
namespace {
struct Entry { const char* Name; const unsigned char* Data; std::size_t Size; };
const Entry kEntries[] = {
${table}    {nullptr, nullptr, 0},
};
}  // namespace

const unsigned char* EmbeddedAsset(const char* name, std::size_t* size) {
  for (const Entry* e = kEntries; e->Name; ++e) {
    if (std::strcmp(e->Name, name) == 0) {
      *size = e->Size;
      return e->Data;
    }
  }
  *size = 0;
  return nullptr;
}
")
file(WRITE ${OUT} "${body}")
