// vtTmpFilename: the name is made from _tempnam and tmpnam_s, each failure counting as "".
#include "vtutils/tmp_filename.h"

#include <cstdlib>
#include <memory>

#include "vtutils/platform/files.h"
#include "vtutils/platform/win32_types.h"

namespace {

// Text allocated by the runtime with malloc, freed when the owner goes.
struct FreeText {
  void operator()(char* text) const { std::free(text); }
};

}  // namespace

vtTmpFilename::vtTmpFilename(const CString& prefix) {
  const std::unique_ptr<char, FreeText> first(_tempnam("c:\\", prefix));
  char second[MAX_PATH] = {};
  const bool have_second = tmpnam_s(second, MAX_PATH) == 0;
  name_.Format("%s%s", first != nullptr ? first.get() : "", have_second ? second + 1 : "");
  if (name_.IsEmpty()) name_ = prefix + "TEMP_FILE.";
  name_ += "txt";
}
