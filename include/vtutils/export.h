// Export macro of libVTUtils.so. The library builds with hidden visibility; the classes and
// functions marked VTUTILS_API are its interface.
#pragma once

#if defined(_WIN32)
#if defined(VTUTILS_BUILDING)
#define VTUTILS_API __declspec(dllexport)
#else
#define VTUTILS_API __declspec(dllimport)
#endif
#elif defined(VTUTILS_BUILDING)
#define VTUTILS_API __attribute__((visibility("default")))
#else
#define VTUTILS_API
#endif
