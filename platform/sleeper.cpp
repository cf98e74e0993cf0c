#include "platform/sleeper.h"

#include <thread>

namespace tessaro::platform {

void SystemSleeper::Sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

}  // namespace tessaro::platform
