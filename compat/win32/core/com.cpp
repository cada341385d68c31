// The task memory allocator: memory that COM objects hand to their callers.
#include <cstdlib>

#include "vtplatform/win32/com.h"

void* CoTaskMemAlloc(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void CoTaskMemFree(void* memory) { std::free(memory); }
