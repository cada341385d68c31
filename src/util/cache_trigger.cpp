// vtuCacheTrigger's destructor, defined here so that its virtual table lives in the library.
#include "vtutils/cache_trigger.h"

vtuCacheTrigger::~vtuCacheTrigger() = default;
