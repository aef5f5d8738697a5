#pragma once

// A test program that adds MallocCounter.cpp to its sources counts the
// calls its own thread makes to the C allocator (malloc, calloc, realloc,
// free and the aligned forms, which FFTW uses) between a start and a stop,
// so a test can check that code which must not allocate takes no memory
// by any route, not only through operator new.

namespace plimo::test {

// False in sanitizer builds, whose runtimes own the allocator: there the
// counter is not installed and counts nothing.
bool MallocCountingAvailable();

void StartCountingMalloc();

// Calls by this thread since StartCountingMalloc.
long StopCountingMalloc();

}  // namespace plimo::test
