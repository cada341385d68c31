// The documents part of vtutil demo.
#pragma once

// Writes the sample document to a temporary file, prints its tree and the CAD files it depends
// on, adds one dependency and shows the list again, then removes the file.
void print_documents_demo();
