// The platform library's Unicode string apString, its path name apPathName, and the text
// encodings with their choosers. On Windows the platform library's own headers declare them.
#pragma once

#if !defined(_WIN32)
#include "vtplatform/apstring/ap_path_name.h"
#include "vtplatform/apstring/ap_string.h"
#include "vtplatform/apstring/encoding.h"
#endif
