// Counts calls of the global operator new in the program that links
// alloc_counter.cpp, to show that a piece of code allocates nothing.
#pragma once

long allocationCount();
