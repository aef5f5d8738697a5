#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/OperationConsole.h"

namespace plimo::cli {
namespace {

std::string Written(std::FILE* stream) {
  std::string text;
  std::rewind(stream);
  for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) text.push_back(static_cast<char>(c));
  return text;
}

// The lines scripts read, whole and on lines of their own even while the
// meter is drawn on a terminal.
TEST(ConsoleControls, ALiveRunsDelayIsPrintedOnceAtTheStartAndSummedUpAtTheEnd) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  ConsoleControls controls(true, stream);
  controls.OperationStarted(kOperationModification, OperationReports{.level = true, .delay = true});
  controls.SetLevel(0.5);
  controls.Draw();
  controls.SetDelay(LiveDelay{.engineMs = 40.4, .captureMs = 3.4, .playbackMs = 4.6, .totalMs = 48.4});
  controls.Draw();
  controls.SetDelay(LiveDelay{
      .engineMs = 40.0, .captureMs = 3.0, .playbackMs = 6.0, .totalMs = 49.0, .underruns = 2, .shedMs = 120});
  controls.Draw();
  controls.OperationEnded(kOperationModification, OperationResult::kDone);
  controls.Draw();
  controls.PrintDelaySummary();
  const std::string meter = "\rlevel [" + std::string(20, '#') + std::string(20, ' ') + "]";
  EXPECT_EQ(Written(stream), meter + "\r\033[Klive: delay 48 ms (engine 40, microphone 3, speaker 5)\n" +
                                 meter + meter +
                                 "\nlive: delay 49 ms at the end, 2 underruns, 120 ms shed\n");
  std::fclose(stream);
}

}  // namespace
}  // namespace plimo::cli
