#pragma once

#include <cstdint>

namespace tessaro::platform {

// Receives the upload progress as a position from 0 to 100.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // A transfer of this many bytes on the wire starts; the positions that follow are its share.
  virtual void BeginTransfer(std::uint64_t /*frameBytes*/) {}
  virtual void SetPosition(int position) = 0;
};

}  // namespace tessaro::platform
