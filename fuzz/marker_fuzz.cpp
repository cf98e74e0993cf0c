// Any path text, of any length and with any bytes, classifies without fault; a code is only
// given for a path that holds a marker of that code and none earlier in the table.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/firmware_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const auto code = tessaro::engine::FindModelCode(path);
  bool seenEarlier = false;
  for (const auto& entry : tessaro::engine::MODEL_MARKERS) {
    const bool present = path.find(entry.marker) != std::string_view::npos;
    if (present && !seenEarlier) {
      if (code != entry.code) std::abort();
      return 0;
    }
    seenEarlier = seenEarlier || present;
  }
  if (code) std::abort();
  return 0;
}
