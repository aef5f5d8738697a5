#pragma once

namespace plimo {

// System libraries that only some commands need (the sound server's
// client, the message bus, the codec library) are opened when first
// needed instead of at start-up, where mapping them and the libraries they
// pull in took longer than rendering a short file.

// The library of that file name (its soname, as "libpulse.so.0"), opened
// for the life of the process; nullptr when it cannot be opened.
void* OpenSharedLibrary(const char* fileName);

// The address of the library's symbol of that name, nullptr when missing.
void* FindSymbol(void* library, const char* name);

// Sets *function to the library's function of that name; false when the
// library has none.
template <typename Function>
bool FindFunction(void* library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(FindSymbol(library, name));
  return *function != nullptr;
}

}  // namespace plimo
