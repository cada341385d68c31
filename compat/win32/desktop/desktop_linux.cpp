// The input desktop on the lock state of the caller's login session.
#include "vtplatform/win32/desktop.h"

#include <memory>
#include <optional>

#include "vtplatform/win32/error.h"
#include "win32/core/exception_barrier.h"
#include "win32/core/kernel_object.h"
#include "win32/desktop/login_session_linux.h"

namespace {

// An open input desktop. It holds nothing: the handle itself is the answer that the session was
// unlocked when it was opened.
class InputDesktop final : public vtplatform::KernelObject {};

}  // namespace

// The look-up over the bus allocates; a failed allocation is the caller's ERROR_NOT_ENOUGH_MEMORY.
HDESK OpenInputDesktop(DWORD /*flags*/, BOOL /*inherit*/, ACCESS_MASK /*desired_access*/) {
  return vtplatform::without_exceptions(HDESK{}, ERROR_NO_SUCH_LOGON_SESSION, []() -> HDESK {
    const std::optional<bool> locked = vtplatform::login_session_locked();
    if (!locked) {
      SetLastError(ERROR_NO_SUCH_LOGON_SESSION);
      return nullptr;
    }
    if (*locked) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    return static_cast<HDESK>(vtplatform::open_handle(std::make_shared<InputDesktop>()));
  });
}

BOOL CloseDesktop(HDESK desktop) {
  if (!vtplatform::find_handle_as<InputDesktop>(desktop) || !vtplatform::close_handle(desktop)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
