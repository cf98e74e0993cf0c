#include "tools/frame_watcher.h"

#include <gtest/gtest.h>

namespace tessaro::tools {
namespace {

TEST(FrameWatcher, FollowsTheFrameFedInAnyPieces) {
  const std::vector<std::uint8_t> frame{0x72, 5, 0, 0, 0, 0x10, 3, 'a', 'b', 'c'};
  for (std::size_t piece : {std::size_t{1}, std::size_t{3}, frame.size()}) {
    SCOPED_TRACE(piece);
    FrameWatcher watcher;
    for (std::size_t at = 0; at < frame.size(); at += piece)
      watcher.Feed(frame.data() + at, std::min(piece, frame.size() - at));
    EXPECT_EQ(watcher.StartByte(), 0x72);
    EXPECT_EQ(watcher.LengthField(), 5u);
    EXPECT_EQ(watcher.ChannelByte(), 0x10);
    EXPECT_EQ(watcher.ModelCode(), 3);
    EXPECT_EQ(watcher.FileByteCount(), 3u);
    EXPECT_TRUE(watcher.Complete());
    // SHA-256 of "abc"
    EXPECT_EQ(watcher.FileSha256(),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  }
}

TEST(FrameWatcher, ShortAndOverlongFramesAreNotComplete) {
  FrameWatcher shortFrame;
  const std::uint8_t header[] = {0x72, 9, 0, 0, 0, 1, 1, 'x'};
  shortFrame.Feed(header, sizeof header);
  EXPECT_FALSE(shortFrame.Complete());

  FrameWatcher longFrame;
  const std::uint8_t extra[] = {0x72, 3, 0, 0, 0, 1, 1, 'x', 'y'};
  longFrame.Feed(extra, sizeof extra);
  EXPECT_FALSE(longFrame.Complete());
  EXPECT_EQ(longFrame.ExtraByteCount(), 1u);
  EXPECT_EQ(longFrame.FileByteCount(), 1u);
}

}  // namespace
}  // namespace tessaro::tools
