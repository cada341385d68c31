// Code pages as vtutil's users name them on the command line.
#pragma once

#include <optional>
#include <string>

#include "vtutils/platform/win32_types.h"

// "acp" (the ANSI code page), "utf-8"/"utf8", "cpNNNN"/"windows-NNNN", or a plain identifier
// such as 1252. Nothing for a name it does not understand.
std::optional<UINT> parse_code_page(const std::string& name);
