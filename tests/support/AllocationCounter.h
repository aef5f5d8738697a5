#pragma once

// A test program that adds AllocationCounter.cpp to its sources replaces
// the global operator new with one that counts, so a test can check that a
// stretch of real-time calls allocates nothing.

namespace plimo::test {

// Allocations through operator new by the calling thread since it
// started. Only the caller's own: a device's I/O thread, or a library's,
// may start or allocate at any moment without it being the caller's doing.
long AllocationCount();

}  // namespace plimo::test
