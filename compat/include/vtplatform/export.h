// Export macro of libvtplatform.so, the platform replacement layer. The layer builds with hidden
// visibility; only the declarations marked VTPLATFORM_API are part of its interface.
#pragma once

#if defined(VTPLATFORM_BUILDING)
#define VTPLATFORM_API __attribute__((visibility("default")))
#else
#define VTPLATFORM_API
#endif
