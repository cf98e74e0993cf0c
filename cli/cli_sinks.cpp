#include "cli/cli_sinks.h"

#include <cstdio>
#include <string>

namespace tessaro::cli {

void StreamMessageSink::ShowMessage(platform::MessageKind kind, const std::string& text) {
  m_out << (kind == platform::MessageKind::Warning ? "warning: " : "error: ") << text << std::endl;
}

void LineProgressSink::SetPosition(int position) {
  if (position == m_last) return;
  m_last = position;
  m_out << "progress: " << position << "%" << std::endl;
}

TerminalProgressSink::~TerminalProgressSink() {
  if (m_drawn) m_out << std::endl;
}

void TerminalProgressSink::SetPosition(int position) {
  if (position == m_last) return;
  const auto now = std::chrono::steady_clock::now();
  // Each transfer starts at 0; the reset to 0 after the final pause only ends the bar.
  if (position == 0 && m_drawn) {
    m_out << std::endl;
    m_drawn = false;
    m_last = position;
    return;
  }
  if (m_last < 0 || position == 0) m_start = now;
  m_last = position;

  constexpr int kWidth = 30;
  const int filled = position * kWidth / 100;
  const double seconds = std::chrono::duration<double>(now - m_start).count();
  const double bytes = static_cast<double>(m_frameBytes) * position / 100.0;
  char rate[32] = "";
  if (seconds > 0.0) std::snprintf(rate, sizeof rate, "%8.1f MB/s", bytes / seconds / 1e6);
  m_out << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
        << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << position << "% "
        << rate << std::flush;
  m_drawn = true;
}

}  // namespace tessaro::cli
