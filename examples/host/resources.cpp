// The host's string table, registered for the program's own module (AfxGetInstanceHandle) so
// that CString::LoadString and the library's resource look-ups find it first.
#include <vtutils/vtutils.h>

#include "resources.h"

// Lives as long as the program: the table is registered while the object exists.
const CModuleStringTable host_strings(AfxGetInstanceHandle(),
                                      {{IDS_APP_TITLE, "Inspection host"},
                                       {IDS_FILTER_INSPECTION, "Inspection plans"},
                                       {IDS_FILTER_ALL, "All inspection files"}});
