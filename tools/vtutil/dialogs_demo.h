// The file dialogs part of vtutil demo.
#pragma once

// Prints the filter texts that CFileFilterBuilder makes for a few file types, and one run of an
// open dialog answered by a scripted presenter, so that no dialog appears.
void print_dialogs_demo();
