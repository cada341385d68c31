// The words for a failure of the user's registry store, with the way out when the store's file
// is not in its own format.
#pragma once

#include <string>

#include "vtutils/platform/settings.h"

// `problem` when the call said what it refused; for a store that is not in its text format (a
// regedit export copied in as the store, say) what is wrong and how to bring it in; otherwise the
// error's text.
std::string registry_failure(LSTATUS status, const std::string& problem = "");
