// The numeric part of vtutil demo.
#pragma once

// Prints a short tour of rounding, unit names, tolerance judgements, the timer and the
// reentrance guard.
void print_numeric_demo();
