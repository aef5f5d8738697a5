// The window program as a desktop starts and ends it, against the private
// sound server: it makes Plimo Microphone, leaves the defaults alone, and
// ends cleanly on SIGTERM, taking the microphone with it.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/SchedulingProbe.h"
#include "support/SoundServer.h"

namespace plimo::test {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(WindowProgramOnServer, MakesPlimoMicAndTakesItAwayWhenTerminated) {
  const SoundServer& server = SoundServer::Get();
  if (!server.Running()) GTEST_SKIP() << server.Failure();
  const std::string sink = server.Pactl({"get-default-sink"});
  const std::string source = server.Pactl({"get-default-source"});
  Variables environment = server.Environment();
  environment.emplace_back("QT_QPA_PLATFORM", "offscreen");
  BackgroundProgram program({PLIMO_APP}, environment);
  ASSERT_TRUE(program.Started());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kRealTimeBuild ? 5 : 20);
  while (!Contains(server.Pactl({"list", "short", "sources"}), "plimo_mic") &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(Contains(server.Pactl({"list", "short", "sources"}), "plimo_mic"));
  EXPECT_EQ(server.Pactl({"get-default-sink"}), sink);
  EXPECT_EQ(server.Pactl({"get-default-source"}), source);

  program.Signal(SIGTERM);
  int status = -1;
  ASSERT_TRUE(program.WaitFor(std::chrono::seconds(kRealTimeBuild ? 2 : 10), &status))
      << "SIGTERM did not end the program";
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(Contains(server.Pactl({"list", "short", "modules"}), "plimo"));
}

}  // namespace
}  // namespace plimo::test
