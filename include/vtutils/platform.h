// Every platform interface VTUtils is written against, for applications that want them all: the
// Win32 subset, the application framework's strings, frame and dialogs, and the base, platform
// string and XML libraries. Each family has its own header under vtutils/platform/, which takes
// the system's and the framework's own headers on Windows and those of the replacement layer
// libvtplatform.so everywhere else; the library's headers and sources include only the families
// they use.
#pragma once

#include "vtutils/platform/base.h"
#include "vtutils/platform/crt_time.h"
#include "vtutils/platform/desktop.h"
#include "vtutils/platform/file_dialogs.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/security.h"
#include "vtutils/platform/services.h"
#include "vtutils/platform/settings.h"
#include "vtutils/platform/storage.h"
#include "vtutils/platform/text.h"
#include "vtutils/platform/unicode_strings.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/platform/xml.h"
