#pragma once

#include <sndfile.h>

namespace plimo {

// The codec library's functions, looked up when a file first needs them
// (platform/SharedLibrary.h): a run on classic wavs, read and written by
// the own code, needs none of the library or the encoders it pulls in.
struct CodecLibrary {
  decltype(&sf_open_virtual) openVirtual = nullptr;
  decltype(&sf_close) close = nullptr;
  decltype(&sf_error) error = nullptr;
  decltype(&sf_strerror) errorText = nullptr;
  decltype(&sf_format_check) formatCheck = nullptr;
  decltype(&sf_readf_short) readShort = nullptr;
  decltype(&sf_readf_int) readInt = nullptr;
  decltype(&sf_readf_double) readDouble = nullptr;
  decltype(&sf_writef_short) writeShort = nullptr;
};

// The library, loaded by the first call from any thread; nullptr when it
// or one of its functions cannot be found, on that call and every later one.
const CodecLibrary* Codecs();

// The library's file name, for the message that it is missing.
inline constexpr const char* kCodecLibraryName = "libsndfile.so.1";

}  // namespace plimo
