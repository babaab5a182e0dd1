#include "media/sample_grabber.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace lyrovox {
namespace {

// Little-endian frames of (left, right) 16-bit samples.
std::vector<uint8_t> Frames(std::initializer_list<std::array<uint16_t, 2>> frames) {
  std::vector<uint8_t> bytes;
  for (const auto& f : frames) {
    for (uint16_t s : f) {
      bytes.push_back(static_cast<uint8_t>(s & 0xFF));
      bytes.push_back(static_cast<uint8_t>(s >> 8));
    }
  }
  return bytes;
}

TEST(ApplyChannelMode, RewritesEachFrameAsTheModeSays) {
  const auto source = Frames({{0x1234, 0x5678}, {0xABCD, 0x0001}});
  struct Case {
    int32_t mode;
    std::vector<uint8_t> expected;
  };
  const Case cases[] = {
      {kChannelBoth, source},
      {kChannelLeft, Frames({{0x1234, 0x1234}, {0xABCD, 0xABCD}})},
      {kChannelRight, Frames({{0x5678, 0x5678}, {0x0001, 0x0001}})},
      {kChannelReverse, Frames({{0x5678, 0x1234}, {0x0001, 0xABCD}})},
      {7, source},  // not a mode
  };
  for (const Case& c : cases) {
    auto bytes = source;
    ApplyChannelMode(c.mode, bytes.data(), bytes.size());
    EXPECT_EQ(bytes, c.expected) << "mode " << c.mode;
  }
}

TEST(ApplyChannelMode, LeavesAPartialFrameAndTinyBuffersAlone) {
  auto six = Frames({{0x1234, 0x5678}});
  six.push_back(0xEE);
  six.push_back(0xFF);
  ApplyChannelMode(kChannelReverse, six.data(), six.size());
  auto expected = Frames({{0x5678, 0x1234}});
  expected.push_back(0xEE);
  expected.push_back(0xFF);
  EXPECT_EQ(six, expected);

  std::vector<uint8_t> two = {0x34, 0x12};
  ApplyChannelMode(kChannelLeft, two.data(), two.size());
  EXPECT_EQ(two, (std::vector<uint8_t>{0x34, 0x12}));
  std::vector<uint8_t> three = {1, 2, 3};
  ApplyChannelMode(kChannelReverse, three.data(), three.size());
  EXPECT_EQ(three, (std::vector<uint8_t>{1, 2, 3}));
  ApplyChannelMode(kChannelReverse, nullptr, 64);
}

TEST(VidAudioSampleGrabber, UsesTheModeSetLast) {
  VidAudioSampleGrabber grabber;
  EXPECT_EQ(grabber.channelMode(), kChannelBoth);
  grabber.SetChannelMode(kChannelRight);
  auto bytes = Frames({{0x1234, 0x5678}});
  grabber.SampleCB(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, Frames({{0x5678, 0x5678}}));
}

}  // namespace
}  // namespace lyrovox
