#pragma once

namespace plimo {

// The name that stands for the sound card wherever a source or sink file
// name is expected: the microphone as input, the speaker as output.
inline constexpr const char* kSoundBoardName = "sb";

}  // namespace plimo
