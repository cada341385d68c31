// The sample document of vtutil demo: a compound file that vtutil itself made
// (samples/bracket_assembly.vtd), compiled into the program so that the demo needs no data files.
#pragma once

#include <span>

std::span<const unsigned char> sample_document();
