// The paths and files part of vtutil demo.
#pragma once

// Prints a short tour of the shell path wrappers, free numbered file names, temporary paths,
// the installation layout and the effective platform.
void print_paths_demo();
