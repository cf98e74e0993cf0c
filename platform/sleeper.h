#pragma once

#include <chrono>

namespace tessaro::platform {

class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

class SystemSleeper final : public Sleeper {
 public:
  void Sleep(std::chrono::milliseconds duration) override;
};

}  // namespace tessaro::platform
