// The name of the XML document factory service, "xml". It is built with the library's other
// static objects when the library loads (see frame/library_load.cpp for their order).
#pragma once

#include "vtutils/platform/services.h"

namespace vtutils {
extern const utServiceName xml_service_name;
}  // namespace vtutils
