// The host's string resources. On Windows they come from the .rc file; here the same identifiers
// and texts are registered at run time (resources.cpp).
#pragma once

#define IDS_APP_TITLE 101
#define IDS_FILTER_INSPECTION 102
#define IDS_FILTER_ALL 103
