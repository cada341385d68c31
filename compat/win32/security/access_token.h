// Access tokens: the identity of the process, taken when the token is opened, as a kernel object
// that a HANDLE names.
#pragma once

#include <sys/types.h>

#include <optional>
#include <utility>
#include <vector>

#include "vtplatform/win32/security.h"
#include "win32/core/kernel_object.h"

namespace vtplatform {

// Who the process was when the token was opened.
struct Identity {
  uid_t uid = 0;                 // effective uid
  std::vector<gid_t> groups;     // the effective gid and the supplementary groups
  bool dac_override = false;     // CAP_DAC_OVERRIDE: may read, write and search anything
  bool dac_read_search = false;  // CAP_DAC_READ_SEARCH: may read anything and search folders
};

class AccessToken : public KernelObject {
 public:
  // A primary token when `level` is empty, else an impersonation token at `level`. `access` is
  // what the handle may do with it (TOKEN_ rights).
  AccessToken(Identity identity, std::optional<SECURITY_IMPERSONATION_LEVEL> level,
              ACCESS_MASK access)
      : identity_(std::move(identity)), level_(level), access_(access) {}

  const Identity& identity() const { return identity_; }
  const std::optional<SECURITY_IMPERSONATION_LEVEL>& impersonation_level() const { return level_; }
  ACCESS_MASK access() const { return access_; }

 private:
  const Identity identity_;
  const std::optional<SECURITY_IMPERSONATION_LEVEL> level_;
  const ACCESS_MASK access_;
};

}  // namespace vtplatform
