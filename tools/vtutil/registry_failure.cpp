// Registry failures in words.
#include "registry_failure.h"

#include "command_failure.h"
#include "vtplatform/win32/regedit.h"
#include "vtutils/platform/win32_types.h"

std::string registry_failure(LSTATUS status, const std::string& problem) {
  if (!problem.empty()) return problem;
  if (status == ERROR_BADDB) {
    return "the registry store " + vtplatform::registry_store_path() +
           " is not in its text format (a regedit export copied in?): move it away and bring it "
           "in with 'vtutil reg import FILE'";
  }
  return error_text(static_cast<unsigned long>(status));
}
