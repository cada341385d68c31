// Security descriptors, access control lists, identifiers and access tokens of files and folders,
// with the access rights they grant.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#include <aclapi.h>
#else
#include "vtplatform/win32/access_rights.h"
#include "vtplatform/win32/security.h"
#endif
