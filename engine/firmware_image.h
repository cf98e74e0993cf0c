#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/message_sink.h"

namespace tessaro::engine {

// The camera model, as the camera's loader knows it; MODEL_MARKERS gives the codes.
using ModelCode = std::uint8_t;

struct ModelMarker {
  std::string_view marker;
  ModelCode code;
};

// Searched in this order, case-sensitive, anywhere in the path; the first one found wins.
inline constexpr auto MODEL_MARKERS = std::to_array<ModelMarker>({
    {"R7Z42P_", 1},
    {"R7Z42WR_", 2},
    {"R7Z42WRS_", 3},
    {"R7Z42LK_", 3},
    {"R7Z42PS_", 4},
});

std::optional<ModelCode> FindModelCode(std::string_view path);

// The payload of one upload frame: channel byte, model code, then the file's bytes.
struct FirmwareImage {
  std::unique_ptr<std::uint8_t[]> buffer;
  std::uint32_t length = 0;
};

inline constexpr std::size_t IMAGE_PREFIX_SIZE = 2;

enum class BuildResult : int { Built = 1, Refused = -1 };

// Classifies the path, reads the file whole and packs the payload into `image`. On refusal the
// operator has been told why and `image` is left untouched.
BuildResult BuildFirmwareImage(std::int32_t channel, const std::string& path,
                               platform::MessageSink& messages, FirmwareImage& image);

}  // namespace tessaro::engine
