#pragma once

namespace tessaro::platform {

// Receives the upload progress as a position from 0 to 100.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetPosition(int position) = 0;
};

}  // namespace tessaro::platform
