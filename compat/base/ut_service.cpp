// utServiceName and utService: the process-wide service registry and its current instance.
#include "vtplatform/base/ut_service.h"

#include <string_view>
#include <utility>

namespace {

std::string_view view_of(const utString& text) {
  return text.is_null() ? std::string_view() : std::string_view(text.data(), text.length());
}

utService* g_current_instance = nullptr;

}  // namespace

utServiceName::utServiceName(const char* name)
    : name_(name != nullptr && *name != '\0' ? utString(name) : utString()) {}

utServiceName::utServiceName(const utString& name)
    : name_(name.length() != 0 ? name : utString()) {}

utServiceName& utServiceName::dequalify() {
  const std::string_view text = view_of(name_);
  const std::size_t dot = text.rfind('.');
  name_ = dot == std::string_view::npos || dot == 0 ? utString() : utString(text.data(), dot);
  return *this;
}

bool operator<(const utServiceName& a, const utServiceName& b) noexcept {
  return view_of(a.name_) < view_of(b.name_);
}

bool operator==(const utServiceName& a, const utServiceName& b) noexcept {
  return view_of(a.name_) == view_of(b.name_);
}

utService::utService() = default;

utService::~utService() = default;

void utService::register_service(const utServiceName& name, std::shared_ptr<utService> service) {
  if (name.invalid() || !service) return;
  map()[name] = std::move(service);
}

utService* utService::get_instance() { return g_current_instance; }

utService* utService::set_instance(utService* instance) {
  return std::exchange(g_current_instance, instance);
}

std::shared_ptr<utService> utService::locate_service(const utServiceName& name) {
  return do_locate_service(name);
}

std::shared_ptr<utService> utService::do_locate_service(const utServiceName& name) {
  const auto found = map().find(name);
  return found == map().end() ? nullptr : found->second;
}

utService::ServiceMap& utService::map() {
  // Never destroyed: services may be located while other static objects are destroyed at exit.
  static auto* services = new ServiceMap;
  return *services;
}
