// The processes part of vtutil demo.
#pragma once

// Prints a short tour of the process queries on the running program: its id, parent and main
// module, finding it by its executable name, the process and module iterators, time stamps, and
// a small process tree that is dumped and killed.
void print_processes_demo();
