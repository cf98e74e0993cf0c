#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

#include "platform/message_sink.h"
#include "platform/progress_sink.h"

namespace tessaro::cli {

// "warning: TEXT" / "error: TEXT", with the texts exactly as the dialog shows them.
class StreamMessageSink final : public platform::MessageSink {
 public:
  explicit StreamMessageSink(std::ostream& out) : m_out(out) {}
  void ShowMessage(platform::MessageKind kind, const std::string& text) override;

 private:
  std::ostream& m_out;
};

// For logs and scripts: one "progress: N%" line per new position.
class LineProgressSink final : public platform::ProgressSink {
 public:
  explicit LineProgressSink(std::ostream& out) : m_out(out) {}
  void SetPosition(int position) override;

 private:
  std::ostream& m_out;
  int m_last = -1;
};

// For a terminal: one live bar with the percentage and the throughput, redrawn in place.
class TerminalProgressSink final : public platform::ProgressSink {
 public:
  explicit TerminalProgressSink(std::ostream& out) : m_out(out) {}
  ~TerminalProgressSink() override;
  void BeginTransfer(std::uint64_t frameBytes) override { m_frameBytes = frameBytes; }
  void SetPosition(int position) override;

 private:
  std::ostream& m_out;
  std::uint64_t m_frameBytes = 0;
  int m_last = -1;
  bool m_drawn = false;
  std::chrono::steady_clock::time_point m_start;
};

}  // namespace tessaro::cli
