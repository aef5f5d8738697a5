#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/CliRunner.h"
#include "support/TempFiles.h"

namespace plimo {
namespace {

using test::CliRun;
using test::ReadBytes;
using test::RunCliWords;
using test::TempDir;

using JsonObject = std::map<std::string, std::string>;

// The flat objects of a JSON array, one per line, as key -> raw value.
std::vector<JsonObject> ParseObjects(const std::string& json, std::vector<std::string>* keyOrder) {
  static const std::regex kObject(R"(\{[^{}]*\})");
  static const std::regex kMember(R"re("(\w+)":("[^"]*"|[-+0-9.eE]+))re");
  std::vector<JsonObject> objects;
  for (auto o = std::sregex_iterator(json.begin(), json.end(), kObject); o != std::sregex_iterator(); ++o) {
    JsonObject object;
    const std::string text = o->str();
    keyOrder->clear();
    for (auto m = std::sregex_iterator(text.begin(), text.end(), kMember); m != std::sregex_iterator(); ++m) {
      object[(*m)[1]] = (*m)[2];
      keyOrder->push_back((*m)[1]);
    }
    objects.push_back(object);
  }
  return objects;
}

float Number(const JsonObject& object, const std::string& key) {
  const auto found = object.find(key);
  return found == object.end() ? -12345.0f : std::strtof(found->second.c_str(), nullptr);
}

TEST(CliPresets, JsonListsAllPresetsWithExactlyTheTwelveKeys) {
  TempDir dir;
  const CliRun run = RunCliWords(dir, "presets --speaker woman --json");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out.front(), '[');
  std::vector<std::string> keys;
  const std::vector<JsonObject> presets = ParseObjects(run.out, &keys);
  ASSERT_EQ(presets.size(), 25u);
  const std::vector<std::string> wanted = {"index",         "name",           "pitchFactor",
                                           "pitchOffsetHz", "durationFactor", "vocalTractFactor",
                                           "robotVoiceOn",  "robotPitchHz",   "reverbOn",
                                           "reverbLevel",   "compressorOn",   "compressionThreshold"};
  EXPECT_EQ(keys, wanted);
  for (size_t i = 0; i < presets.size(); ++i) {
    EXPECT_EQ(presets[i].size(), 12u);
    EXPECT_EQ(Number(presets[i], "index"), static_cast<float>(i));
    EXPECT_EQ(Number(presets[i], "durationFactor"), 1.0f);
  }
  // A woman choosing "Woman 2", "Robot 7" and "Donald Duck 2".
  EXPECT_EQ(presets[5].at("name"), "\"Woman 2\"");
  EXPECT_EQ(Number(presets[5], "pitchFactor"), 0.95f);
  EXPECT_EQ(Number(presets[5], "vocalTractFactor"), 0.9f);
  EXPECT_EQ(Number(presets[18], "robotVoiceOn"), 1.0f);
  EXPECT_EQ(Number(presets[18], "robotPitchHz"), 190.0f);
  EXPECT_EQ(Number(presets[18], "reverbOn"), 1.0f);
  EXPECT_EQ(Number(presets[18], "reverbLevel"), 0.5f);
  EXPECT_EQ(Number(presets[18], "compressorOn"), 1.0f);
  EXPECT_EQ(Number(presets[18], "compressionThreshold"), 0.5f);
  EXPECT_EQ(Number(presets[21], "pitchOffsetHz"), -30.0f);
  EXPECT_EQ(Number(presets[21], "vocalTractFactor"), 2.0f);
  EXPECT_EQ(Number(presets[21], "robotVoiceOn"), 0.0f);
}

TEST(CliPresets, ValuesAreThoseTheSlidersLeave) {
  TempDir dir;
  const CliRun run = RunCliWords(dir, "presets --json --speaker child");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::vector<std::string> keys;
  const std::vector<JsonObject> presets = ParseObjects(run.out, &keys);
  ASSERT_EQ(presets.size(), 25u);
  EXPECT_EQ(Number(presets[0], "pitchFactor"), 0.6f) << "0.5 is below the Pitch slider";
  EXPECT_EQ(Number(presets[0], "vocalTractFactor"), 0.5f);
  EXPECT_EQ(Number(presets[12], "robotPitchHz"), 200.0f);
}

TEST(CliPresets, TheSpeakerIsAManUnlessToldOtherwise) {
  TempDir dir;
  const CliRun run = RunCliWords(dir, "presets --json");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::vector<std::string> keys;
  const std::vector<JsonObject> presets = ParseObjects(run.out, &keys);
  ASSERT_EQ(presets.size(), 25u);
  EXPECT_EQ(Number(presets[5], "pitchFactor"), 2.0f);
  EXPECT_EQ(Number(presets[12], "robotPitchHz"), 170.0f);
}

TEST(CliPresets, TextNamesEveryPresetOnItsOwnLine) {
  TempDir dir;
  const CliRun run = RunCliWords(dir, "presets --speaker man");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  for (const char* line : {"\n 0  Man 1 ", "\n 4  Woman 1 ", "\n18  Robot 7 ", "\n24  Normal "}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  }
  EXPECT_NE(run.out.find("on 190 Hz"), std::string::npos);
}

TEST(CliPresets, UsageErrorsExitTwoWithOneLine) {
  TempDir dir;
  for (const char* arguments :
       {"presets --speaker robot", "presets --speaker", "presets extra", "presets --jsonx"}) {
    const CliRun run = RunCliWords(dir, arguments);
    EXPECT_EQ(run.exitStatus, 2) << arguments;
    EXPECT_TRUE(run.out.empty()) << arguments;
    ASSERT_FALSE(run.err.empty()) << arguments;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << arguments << ": " << run.err;
  }
  const CliRun help = RunCliWords(dir, "presets --help");
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("usage: plimo-cli presets", 0), 0u);
}

}  // namespace
}  // namespace plimo
