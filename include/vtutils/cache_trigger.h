// vtuCacheTrigger: a base class for objects that cache derived data, carrying whether the cache
// is valid.
#pragma once

#include "vtutils/export.h"

// The owner invalidates the cache when its source data changes and makes it valid once it has
// been rebuilt. A new trigger is invalid. Copies, which only derived classes can make, carry the
// source's validity. The flag is not synchronised.
class VTUTILS_API vtuCacheTrigger {
 public:
  vtuCacheTrigger() = default;
  virtual ~vtuCacheTrigger();

  void invalidate() { valid_ = false; }
  void make_valid() { valid_ = true; }
  bool valid() const { return valid_; }

 protected:
  vtuCacheTrigger(const vtuCacheTrigger&) = default;
  vtuCacheTrigger& operator=(const vtuCacheTrigger&) = default;

 private:
  bool valid_ = false;
};
