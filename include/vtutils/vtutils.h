// VTUtils: every exported header of the library, and the platform declarations an application
// needs to use them.
#pragma once

#include "vtutils/cache_trigger.h"
#include "vtutils/dependency_manager.h"
#include "vtutils/dependency_reader.h"
#include "vtutils/effective_platform.h"
#include "vtutils/error_value.h"
#include "vtutils/export.h"
#include "vtutils/file_utils.h"
#include "vtutils/hash.h"
#include "vtutils/layout.h"
#include "vtutils/logical_compare.h"
#include "vtutils/platform.h"
#include "vtutils/reentrance.h"
#include "vtutils/round.h"
#include "vtutils/security_descriptor.h"
#include "vtutils/string_converter.h"
#include "vtutils/timer.h"
#include "vtutils/tmp_filename.h"
#include "vtutils/units.h"
