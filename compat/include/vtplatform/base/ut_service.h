// The base library's service registry: named services (utService objects) held by shared
// pointers in one process-wide map ordered by name, and the current service instance through
// which code registers and locates them.
//
// A service name is a byte string whose levels are separated by dots ("xml.dom.reader"). A
// service looked for under a qualified name can be found under a less qualified one: dequalify
// drops the last level, and a name without levels left is invalid.
#pragma once

#include <map>
#include <memory>

#include "vtplatform/base/ut_string.h"
#include "vtplatform/export.h"

class VTPLATFORM_API utServiceName {
 public:
  // The invalid name.
  utServiceName() noexcept = default;
  // The name `name`; the null or empty text gives the invalid name.
  explicit utServiceName(const char* name);
  explicit utServiceName(const utString& name);
  utServiceName(const utServiceName& other) noexcept = default;
  utServiceName& operator=(const utServiceName& other) noexcept = default;
  ~utServiceName() = default;

  // True for the name without text: nothing can be registered or found under it.
  bool invalid() const noexcept { return name_.length() == 0; }
  // Drops the last dot-separated level: "xml.dom" becomes "xml", and "xml" becomes invalid.
  // The invalid name stays invalid.
  utServiceName& dequalify();

  const utString& name() const noexcept { return name_; }

  // Byte-wise order of the names; a name sorts before every longer name it begins.
  friend VTPLATFORM_API bool operator<(const utServiceName& a, const utServiceName& b) noexcept;
  friend VTPLATFORM_API bool operator==(const utServiceName& a, const utServiceName& b) noexcept;

 private:
  utString name_;
};

class VTPLATFORM_API utService {
 public:
  utService();
  utService(const utService&) = delete;
  utService& operator=(const utService&) = delete;

  // Adds `service` to the registry under `name`, replacing a service registered under that name
  // before (the registry drops its reference to that one). An invalid name or a null service
  // registers nothing.
  virtual void register_service(const utServiceName& name, std::shared_ptr<utService> service);
  virtual ~utService();

  // The current service instance, or null.
  static utService* get_instance();
  // Makes `instance` (may be null) current and returns the instance that was.
  static utService* set_instance(utService* instance);

  // The service registered under exactly `name`, as this instance locates it; empty when there
  // is none.
  std::shared_ptr<utService> locate_service(const utServiceName& name);

 protected:
  using ServiceMap = std::map<utServiceName, std::shared_ptr<utService>>;

  // The lookup behind locate_service: the registry's entry for `name`.
  virtual std::shared_ptr<utService> do_locate_service(const utServiceName& name);

  // The one process-wide registry. Like the current instance, it belongs to one thread at a
  // time: services are registered and located on the thread that owns the registry.
  static ServiceMap& map();
};
