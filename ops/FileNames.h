#pragma once

#include <ctime>
#include <string>

namespace plimo {

// The names the operations' files take from what the user typed. Names and
// paths are in the file system's own bytes.

// The local time now, for the time-stamped names.
std::tm LocalTimeNow();

// The local date and time as 14 digits, year month day hour minute second,
// each after the year two digits wide: 20240307090502.
std::string TimeStampedName(const std::tm& localTime);

// A recording's file name: the typed name as a wav file (".wav" appended
// unless it ends in it, in any case, spaces after it aside), or the time
// as one when nothing is typed.
std::string RecordingFileName(const std::string& typed, const std::tm& now);

// A file modification's input in folder (which ends in a separator): the
// typed name as a wav file when that is a readable file, else the name as
// typed when it lacks the extension and is one (a file that really has no
// extension is never renamed to one that does not exist); "" when neither.
std::string FindInputFile(const std::string& folder, const std::string& typed);

// A modification's output file name: the typed name as a wav file; when
// nothing is typed, the speaker in real time, else the time as a wav file.
std::string OutputFileName(const std::string& typed, bool realTime, const std::tm& now);

// Whether the output names the input file (the sound card is never a file).
bool WouldOverwriteInput(const std::string& inputFileName, const std::string& outputFileName);

// Whether path is a file this process may read.
bool IsReadableFile(const std::string& path);

// The folder with a separator at its end, unless it has one.
std::string WithTrailingSeparator(const std::string& folder);

// The chosen path split at its last separator ('/' or '\'): the folder
// keeps the separator, the name is what follows it.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);

}  // namespace plimo
