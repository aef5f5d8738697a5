#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "messages/RecordingMessageSink.h"
#include "params/ParameterFile.h"
#include "params/VoiceParameters.h"
#include "support/CliRunner.h"
#include "support/TempFiles.h"

namespace plimo {
namespace {

using test::CliRun;
using test::ReadBytes;
using test::RecordingMessageSink;
using test::RunCli;
using test::RunCliWords;
using test::TempDir;

// A parameter file whose every field differs from its default.
std::string WriteUnusualFile(const TempDir& dir, VoiceParameters& record) {
  record.samplingRate = 22050;
  record.meterDisplay = 0;
  record.realTimeMode = 0;
  record.robotVoiceOn = 1;
  record.reserved0 = -9;
  record.pitchFactor = 0.1f;  // far below the slider, still a valid file
  record.pitchOffsetHz = -40.0f;
  record.durationFactor = 2.75f;
  record.vocalTractFactor = 1.15f;
  record.reserved1 = 1.0e-7f;
  record.reserved2 = 3.4e38f;
  record.robotPitchHz = 222.5f;
  record.speakerKind = 2;
  record.reverbOn = 1;
  record.reverbLevel = 0.3f;
  record.whisperOn = 1;
  record.whisperLevel = 0.6f;
  record.chorusOn = 1;
  record.chorusLevel = 0.9f;
  const float frequencies[10] = {110, 220, 330, 660, 1100, 3300, 5500, 8800, 12100, 16500};
  const float gains[10] = {-20, -15, -10, -5, 0, 5, 10, 15, 20, 0.1f};
  record.equaliser.SetBands(10, frequencies, gains);
  record.settingsFileName = dir.Path("unusual.prm");
  RecordingMessageSink messages;
  EXPECT_EQ(WriteParameterFile(record, messages), ParameterFileStatus::kParameterFileOk);
  return record.settingsFileName;
}

// The stored fields in file order, as float bit patterns or integers.
std::vector<uint32_t> FieldBits(const StoredParameters& s) {
  std::vector<uint32_t> bits = {uint32_t(s.samplingRate),
                                uint32_t(s.meterDisplay),
                                uint32_t(s.realTimeMode),
                                uint32_t(s.robotVoiceOn),
                                uint32_t(s.reserved0),
                                std::bit_cast<uint32_t>(s.pitchFactor),
                                std::bit_cast<uint32_t>(s.pitchOffsetHz),
                                std::bit_cast<uint32_t>(s.durationFactor),
                                std::bit_cast<uint32_t>(s.vocalTractFactor),
                                std::bit_cast<uint32_t>(s.reserved1),
                                std::bit_cast<uint32_t>(s.reserved2),
                                std::bit_cast<uint32_t>(s.robotPitchHz),
                                uint32_t(s.speakerKind),
                                uint32_t(s.reverbOn),
                                std::bit_cast<uint32_t>(s.reverbLevel),
                                uint32_t(s.whisperOn),
                                std::bit_cast<uint32_t>(s.whisperLevel),
                                uint32_t(s.chorusOn),
                                std::bit_cast<uint32_t>(s.chorusLevel)};
  for (float f : s.bandFrequencies) bits.push_back(std::bit_cast<uint32_t>(f));
  for (float g : s.bandGains) bits.push_back(std::bit_cast<uint32_t>(g));
  return bits;
}

constexpr const char* kIntFields[] = {"samplingRate", "meterDisplay", "realTimeMode",
                                      "robotVoiceOn", "reserved0",    "speakerKind",
                                      "reverbOn",     "whisperOn",    "chorusOn"};

bool IsIntField(const std::string& name) {
  for (const char* field : kIntFields) {
    if (name == field) return true;
  }
  return false;
}

// Reads printed fields back into the layout's order; every number must
// read back as exactly the float (or integer) the file holds.
std::vector<uint32_t> ParsePrinted(const std::vector<std::pair<std::string, std::string>>& fields,
                                   const std::vector<std::string>& frequencies,
                                   const std::vector<std::string>& gains) {
  std::vector<uint32_t> bits;
  for (const auto& [name, value] : fields) {
    if (IsIntField(name)) {
      bits.push_back(static_cast<uint32_t>(std::strtol(value.c_str(), nullptr, 10)));
    } else {
      bits.push_back(std::bit_cast<uint32_t>(std::strtof(value.c_str(), nullptr)));
    }
  }
  for (const auto& list : {frequencies, gains}) {
    for (const std::string& value : list) {
      bits.push_back(std::bit_cast<uint32_t>(std::strtof(value.c_str(), nullptr)));
    }
  }
  return bits;
}

std::vector<std::string> SplitNumbers(const std::string& text, const std::regex& separator) {
  return {std::sregex_token_iterator(text.begin(), text.end(), separator, -1), std::sregex_token_iterator()};
}

const char* const kFieldNames[] = {"samplingRate",     "meterDisplay", "realTimeMode",  "robotVoiceOn",
                                   "reserved0",        "pitchFactor",  "pitchOffsetHz", "durationFactor",
                                   "vocalTractFactor", "reserved1",    "reserved2",     "robotPitchHz",
                                   "speakerKind",      "reverbOn",     "reverbLevel",   "whisperOn",
                                   "whisperLevel",     "chorusOn",     "chorusLevel"};

TEST(CliSettings, JsonHoldsEveryStoredFieldExactly) {
  TempDir dir;
  VoiceParameters record;
  const std::string path = WriteUnusualFile(dir, record);
  const CliRun run = RunCli(dir, {"settings", "--json", path});
  ASSERT_EQ(run.exitStatus, 0) << run.err;

  static const std::regex kScalar(R"re("(\w+)":([-+0-9.eE]+)[,}])re");
  std::vector<std::pair<std::string, std::string>> fields;
  for (auto m = std::sregex_iterator(run.out.begin(), run.out.end(), kScalar); m != std::sregex_iterator();
       ++m) {
    fields.emplace_back((*m)[1], (*m)[2]);
  }
  ASSERT_EQ(fields.size(), 19u) << run.out;
  for (size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i].first, kFieldNames[i]);

  std::smatch arrays;
  static const std::regex kArrays(R"re("bandFrequencies":\[([^\]]*)\],"bandGains":\[([^\]]*)\]\}\n$)re");
  ASSERT_TRUE(std::regex_search(run.out, arrays, kArrays)) << run.out;
  const std::regex comma(",");
  const auto frequencies = SplitNumbers(arrays[1], comma);
  const auto gains = SplitNumbers(arrays[2], comma);
  ASSERT_EQ(frequencies.size(), 10u);
  ASSERT_EQ(gains.size(), 10u);
  EXPECT_EQ(ParsePrinted(fields, frequencies, gains), FieldBits(StoredParametersOf(record)));
}

TEST(CliSettings, TextPrintsOneFieldPerLine) {
  TempDir dir;
  VoiceParameters record;
  const std::string path = WriteUnusualFile(dir, record);
  const CliRun run = RunCli(dir, {"settings", path});
  ASSERT_EQ(run.exitStatus, 0) << run.err;

  static const std::regex kLine(R"((\w+): ([^\n]*)\n)");
  std::vector<std::pair<std::string, std::string>> lines;
  for (auto m = std::sregex_iterator(run.out.begin(), run.out.end(), kLine); m != std::sregex_iterator();
       ++m) {
    lines.emplace_back((*m)[1], (*m)[2]);
  }
  ASSERT_EQ(lines.size(), 21u) << run.out;
  ASSERT_EQ(lines[19].first, "bandFrequencies");
  ASSERT_EQ(lines[20].first, "bandGains");
  const std::regex space(" ");
  const auto frequencies = SplitNumbers(lines[19].second, space);
  const auto gains = SplitNumbers(lines[20].second, space);
  lines.resize(19);
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].first, kFieldNames[i]);
  EXPECT_EQ(ParsePrinted(lines, frequencies, gains), FieldBits(StoredParametersOf(record)));
}

TEST(CliSettings, ABadFileGetsItsMessageOnStderrAndExitOne) {
  TempDir dir;
  VoiceParameters record;
  std::vector<uint8_t> bytes = ReadBytes(WriteUnusualFile(dir, record));
  bytes[76] = 11;  // eleven bands
  const CliRun invalid = RunCli(dir, {"settings", dir.Write("eleven.prm", bytes)});
  EXPECT_EQ(invalid.exitStatus, 1);
  EXPECT_TRUE(invalid.out.empty());
  EXPECT_NE(invalid.err.find("Invalid settings file!"), std::string::npos) << invalid.err;

  const CliRun truncated = RunCli(dir, {"settings", "--json", dir.Write("short.prm", {0x80, 0x3E, 0, 0})});
  EXPECT_EQ(truncated.exitStatus, 1);
  EXPECT_TRUE(truncated.out.empty());
  EXPECT_NE(truncated.err.find("Invalid settings file!"), std::string::npos);

  const CliRun missing = RunCli(dir, {"settings", dir.Path("absent.prm")});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_NE(missing.err.find("Cannot find settings file!"), std::string::npos) << missing.err;
}

TEST(CliSettings, UsageErrorsExitTwoWithOneLine) {
  TempDir dir;
  for (const char* arguments : {"settings", "settings a.prm b.prm", "settings --speaker a.prm"}) {
    const CliRun run = RunCliWords(dir, arguments);
    EXPECT_EQ(run.exitStatus, 2) << arguments;
    ASSERT_FALSE(run.err.empty()) << arguments;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << arguments << ": " << run.err;
  }
  const CliRun help = RunCliWords(dir, "settings --help");
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("usage: plimo-cli settings", 0), 0u);
}

}  // namespace
}  // namespace plimo
