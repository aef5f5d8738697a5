#include "MallocCounter.h"

#include <cerrno>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)

namespace plimo::test {

bool MallocCountingAvailable() { return false; }
void StartCountingMalloc() {}
long StopCountingMalloc() { return 0; }

}  // namespace plimo::test

#else

// glibc's own entry points, which the replacements below forward to.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* memory, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* memory);
}

namespace {

// Per thread, so that a helper thread of the test framework cannot
// spoil a count; in the executable, so reading it allocates nothing.
thread_local bool counting = false;
thread_local long calls = 0;

void Count() {
  if (counting) ++calls;
}

}  // namespace

namespace plimo::test {

bool MallocCountingAvailable() { return true; }

void StartCountingMalloc() {
  calls = 0;
  counting = true;
}

long StopCountingMalloc() {
  counting = false;
  return calls;
}

}  // namespace plimo::test

extern "C" {

void* malloc(size_t size) {
  Count();
  return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
  Count();
  return __libc_calloc(count, size);
}

void* realloc(void* memory, size_t size) {
  Count();
  return __libc_realloc(memory, size);
}

void free(void* memory) {
  if (memory != nullptr) Count();
  __libc_free(memory);
}

void* memalign(size_t alignment, size_t size) {
  Count();
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
  Count();
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** memory, size_t alignment, size_t size) {
  Count();
  // The alignment must be a power of two and a multiple of a pointer.
  if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) {
    return EINVAL;
  }
  void* block = __libc_memalign(alignment, size);
  if (block == nullptr) return ENOMEM;
  *memory = block;
  return 0;
}

}  // extern "C"

#endif
