#include "audio/CodecLibrary.h"

#include "platform/SharedLibrary.h"

namespace plimo {

namespace {

const CodecLibrary* Load() {
  void* library = OpenSharedLibrary(kCodecLibraryName);
  if (library == nullptr) return nullptr;
  static CodecLibrary codecs;
  const bool found = FindFunction(library, "sf_open_virtual", &codecs.openVirtual) &&
                     FindFunction(library, "sf_close", &codecs.close) &&
                     FindFunction(library, "sf_error", &codecs.error) &&
                     FindFunction(library, "sf_strerror", &codecs.errorText) &&
                     FindFunction(library, "sf_format_check", &codecs.formatCheck) &&
                     FindFunction(library, "sf_readf_short", &codecs.readShort) &&
                     FindFunction(library, "sf_readf_int", &codecs.readInt) &&
                     FindFunction(library, "sf_readf_double", &codecs.readDouble) &&
                     FindFunction(library, "sf_writef_short", &codecs.writeShort);
  return found ? &codecs : nullptr;
}

}  // namespace

const CodecLibrary* Codecs() {
  static const CodecLibrary* const codecs = Load();
  return codecs;
}

}  // namespace plimo
