// Overlap-add on the output time line: placement, normalisation, the output
// rule's limits and the cutting into blocks.

#include "engine/OverlapAdd.h"

#include <gtest/gtest.h>

#include <vector>

namespace plimo {
namespace {

// Keeps every block it is given.
class CollectBlocks : public BlockSink {
 public:
  void TakeBlock(int16_t* block, int length) override { blocks.emplace_back(block, block + length); }
  std::vector<int16_t> All() const {
    std::vector<int16_t> all;
    for (const auto& block : blocks) all.insert(all.end(), block.begin(), block.end());
    return all;
  }
  std::vector<std::vector<int16_t>> blocks;
};

TEST(OverlapAdd, OverlappingFramesAreNormalisedByTheirSquaredWindows) {
  OverlapAdd ola;
  ASSERT_EQ(ola.Prepare(100, 4), 1);
  const float frame[] = {2.0f, 4.0f, 6.0f, 8.0f};
  const float window[] = {1.0f, 2.0f, 2.0f, 1.0f};
  ola.Place(frame, window, 4, 0);
  ola.Place(frame, window, 4, 2);
  CollectBlocks sink;
  ola.Emit(8.0, 8, 8, sink);
  ASSERT_EQ(sink.blocks.size(), 2u);
  // Position 2: (6 + 2) / (4 + 1) = 1.6; position 3: (8 + 4) / (1 + 4) =
  // 2.4. Positions 6 and 7 had nothing added: weight 1, value 0.
  EXPECT_EQ(sink.All(), (std::vector<int16_t>{2, 1, 1, 2, 1, 8, 0, 0}));
  // Emitted positions are cleared for the ring's next turn.
  for (int q = 0; q < 8; ++q) {
    EXPECT_EQ(ola.sumRing[q], 0.0f);
    EXPECT_EQ(ola.weightRing[q], 0.0f);
  }
}

TEST(OverlapAdd, SamplesAreLimitedAndTruncatedTowardZero) {
  OverlapAdd ola;
  ASSERT_EQ(ola.Prepare(16, 5), 1);
  const float frame[] = {-2.7f, 2.7f, 40000.0f, -40000.0f, -0.9f};
  const float window[] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  ola.Place(frame, window, 5, 0);
  CollectBlocks sink;
  ola.Emit(5.0, 5, 5, sink);
  EXPECT_EQ(sink.All(), (std::vector<int16_t>{-2, 2, 32767, -32767, 0}));
}

TEST(OverlapAdd, ChunksStopAtTheLimitAndNeverPassTheEnd) {
  OverlapAdd ola;
  ASSERT_EQ(ola.Prepare(1000, 7), 1);
  CollectBlocks sink;
  // Chunks of 4 while below 10: 0..3, 4..7, 8..11.
  ola.Emit(10.0, 4, 100, sink);
  EXPECT_EQ(ola.outputPosition, 12);
  // The end cuts the last chunk short: 12..15, 16..17.
  ola.Emit(30.0, 4, 18, sink);
  EXPECT_EQ(ola.outputPosition, 18);
  ola.Emit(30.0, 4, 18, sink);
  EXPECT_EQ(ola.outputPosition, 18);
  // 18 samples make two blocks of 7 and wait with 4.
  EXPECT_EQ(sink.blocks.size(), 2u);
  EXPECT_EQ(ola.blockFill, 4);
}

TEST(OverlapAdd, PositionsMapOntoTheRingAcrossItsEnd) {
  OverlapAdd ola;
  ASSERT_EQ(ola.Prepare(10, 2), 1);
  CollectBlocks sink;
  ola.Emit(8.0, 8, 8, sink);  // output position 8, four whole blocks
  const float frame[] = {10.0f, 20.0f, 30.0f, 40.0f, 50.0f};
  const float window[] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  ola.Place(frame, window, 5, 8);  // ring indices 8, 9, 0, 1, 2
  sink.blocks.clear();
  ola.Emit(14.0, 6, 14, sink);
  EXPECT_EQ(sink.All(), (std::vector<int16_t>{10, 20, 30, 40, 50, 0}));
}

TEST(OverlapAdd, RepeatedNoiseFrameAlternatesDirection) {
  OverlapAdd ola;
  ASSERT_EQ(ola.Prepare(100, 30), 1);
  float frame[] = {1.0f, 2.0f, 3.0f, 4.0f};
  const float window[] = {1.0f, 1.0f, 1.0f, 1.0f};
  // Placed at 0, 10 and 20: the target 25 is passed after the third.
  EXPECT_EQ(ola.PlaceRepeatedly(frame, window, 4, 0, 25.0, 10, true), 30);
  CollectBlocks sink;
  ola.Emit(30.0, 30, 30, sink);
  const std::vector<int16_t> out = sink.All();
  EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 4), (std::vector<int16_t>{1, 2, 3, 4}));
  EXPECT_EQ(std::vector<int16_t>(out.begin() + 10, out.begin() + 14), (std::vector<int16_t>{4, 3, 2, 1}));
  EXPECT_EQ(std::vector<int16_t>(out.begin() + 20, out.begin() + 24), (std::vector<int16_t>{1, 2, 3, 4}));
}

TEST(OverlapAdd, VoicedFrameRepeatsAsItIsAndAPassedTargetPlacesNothing) {
  OverlapAdd ola;
  ASSERT_EQ(ola.Prepare(100, 30), 1);
  float frame[] = {1.0f, 2.0f, 3.0f};
  const float window[] = {1.0f, 1.0f, 1.0f};
  EXPECT_EQ(ola.PlaceRepeatedly(frame, window, 3, 0, 12.0, 6, false), 12);
  EXPECT_EQ(ola.PlaceRepeatedly(frame, window, 3, 12, 12.0, 6, false), 12);  // already there
  CollectBlocks sink;
  ola.Emit(30.0, 30, 30, sink);
  const std::vector<int16_t> out = sink.All();
  EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 15),
            (std::vector<int16_t>{1, 2, 3, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace plimo
