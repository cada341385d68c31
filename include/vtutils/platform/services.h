// The base library's service registry: utService, utServiceName and the current service
// instance. On Windows the base library's own headers declare them.
#pragma once

#if !defined(_WIN32)
#include "vtplatform/base/ut_service.h"
#endif
