#pragma once

// A test program that adds AllocationCounter.cpp to its sources replaces
// the global operator new with one that counts, so a test can check that a
// stretch of real-time calls allocates nothing.

namespace plimo::test {

// Allocations through operator new since the program started.
long AllocationCount();

}  // namespace plimo::test
