#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tessaro::testing {

// The upload frame the camera must receive for a file: 0x72, the payload length little-endian,
// the channel byte, the model code, the file.
inline std::vector<std::uint8_t> ExpectedFrame(std::uint8_t channel, std::uint8_t model,
                                               const std::vector<std::uint8_t>& file) {
  const auto length = static_cast<std::uint32_t>(file.size() + 2);
  std::vector<std::uint8_t> frame(7 + file.size());
  frame[0] = 0x72;
  for (int i = 0; i < 4; ++i) frame[1 + i] = static_cast<std::uint8_t>(length >> (8 * i));
  frame[5] = channel;
  frame[6] = model;
  std::copy(file.begin(), file.end(), frame.begin() + 7);
  return frame;
}

}  // namespace tessaro::testing
