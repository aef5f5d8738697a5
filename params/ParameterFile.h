#pragma once

#include <cstdio>
#include <string>

#include "params/ParameterFileCodec.h"

namespace plimo {

class MessageSink;
class VoiceParameters;

// Reads a parameter file from an open stream into the record: all of it
// when the file is valid, nothing otherwise. A stream that cannot be read
// shows "Cannot find settings file!", an invalid file "Invalid settings
// file!". The stream stays open. No effect is derived (derivedEffects stays).
[[nodiscard]] ParameterFileStatus ReadParameterStream(std::FILE* stream, VoiceParameters& record,
                                                      MessageSink& messages);

// Opens path and reads it as ReadParameterStream; on success the record's
// settingsFileName becomes path. A missing file shows "Cannot find
// settings file!" and changes nothing.
[[nodiscard]] ParameterFileStatus ReadParameterFile(const std::string& path, VoiceParameters& record,
                                                    MessageSink& messages);

// Writes the record to its settingsFileName, creating or truncating it.
// An empty name writes nothing and shows nothing (kParameterFileNotWritten).
// A file that cannot be created or fully written shows "Cannot create
// settings file!" and returns a failure.
[[nodiscard]] ParameterFileStatus WriteParameterFile(const VoiceParameters& record, MessageSink& messages);

}  // namespace plimo
