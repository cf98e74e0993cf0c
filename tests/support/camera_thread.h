#pragma once

#include <future>
#include <stdexcept>
#include <thread>

#include "tools/camsim.h"

namespace tessaro::testing {

// A stand-in camera on a free loopback port, serving one connection on its own thread.
class CameraThread {
 public:
  explicit CameraThread(tools::CamSimBehaviour behaviour = {}) : m_camera(WithDefaults(behaviour)) {
    std::string error;
    if (!m_camera.Listen(0, error))
      throw std::runtime_error("the stand-in cannot listen: " + error);
    m_report = std::async(std::launch::async,
                          [this] { return m_camera.ServeOne(std::chrono::seconds(20)); });
  }
  ~CameraThread() {
    if (m_report.valid()) m_report.wait();
  }

  unsigned Port() const { return m_camera.Port(); }

  // The report of the one connection, once the tool has ended it. Throws (failing the test)
  // when no connection came.
  tools::ConnectionReport Report() {
    auto report = m_report.get();
    if (!report) throw std::runtime_error("the stand-in camera saw no connection");
    return std::move(*report);
  }

 private:
  static tools::CamSimBehaviour WithDefaults(tools::CamSimBehaviour behaviour) {
    behaviour.keepBytes = true;
    // A test never waits forever on a tool that forgot to close.
    if (!behaviour.idleTimeout) behaviour.idleTimeout = std::chrono::seconds(20);
    return behaviour;
  }

  tools::CamSim m_camera;
  std::future<std::optional<tools::ConnectionReport>> m_report;
};

// A loopback port on which nothing listens (taken, then given back).
inline unsigned UnusedLoopbackPort() {
  tools::CamSim probe;
  std::string error;
  if (!probe.Listen(0, error)) throw std::runtime_error("no free loopback port: " + error);
  return probe.Port();
}

}  // namespace tessaro::testing
