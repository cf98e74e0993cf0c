// The image builder over a generated file: the first input byte is the channel, the rest the
// file's bytes. The image must be the channel byte, the model code and the file, unchanged.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "engine/firmware_image.h"

namespace {

class SilentMessages final : public tessaro::platform::MessageSink {
 public:
  void ShowMessage(tessaro::platform::MessageKind, const std::string&) override { ++count; }
  int count = 0;
};

const std::string& FirmwarePath() {
  static const std::string path = [] {
    char folder[] = "/tmp/tessaro-fuzz-XXXXXX";
    if (::mkdtemp(folder) == nullptr) std::abort();
    return std::string(folder) + "/R7Z42WRS_fuzz.bin";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::int32_t channel =
      static_cast<std::int8_t>(data[0]) * 0x101;  // only the low byte counts
  {
    std::ofstream file(FirmwarePath(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  SilentMessages messages;
  tessaro::engine::FirmwareImage image;
  if (tessaro::engine::BuildFirmwareImage(channel, FirmwarePath(), messages, image) !=
      tessaro::engine::BuildResult::Built)
    std::abort();
  if (messages.count != 0 || image.length != size + 1) std::abort();
  if (image.buffer[0] != static_cast<std::uint8_t>(channel) || image.buffer[1] != 3) std::abort();
  if (size > 1 && std::memcmp(image.buffer.get() + 2, data + 1, size - 1) != 0) std::abort();
  return 0;
}
