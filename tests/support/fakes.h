#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/message_sink.h"
#include "platform/progress_sink.h"
#include "platform/sleeper.h"
#include "platform/stream_socket.h"

namespace tessaro::testing {

struct Message {
  platform::MessageKind kind;
  std::string text;
  bool operator==(const Message&) const = default;
};

class RecordingMessages final : public platform::MessageSink {
 public:
  void ShowMessage(platform::MessageKind kind, const std::string& text) override {
    messages.push_back({kind, text});
    if (onMessage) onMessage();
  }
  std::vector<Message> messages;
  std::function<void()> onMessage;
};

class RecordingProgress final : public platform::ProgressSink {
 public:
  void SetPosition(int position) override { positions.push_back(position); }
  std::vector<int> positions;
};

// Records the pauses asked for and returns at once; `onSleep` lets a test look around meanwhile.
class RecordingSleeper final : public platform::Sleeper {
 public:
  void Sleep(std::chrono::milliseconds duration) override {
    pauses.push_back(duration);
    if (onSleep) onSleep();
  }
  std::vector<std::chrono::milliseconds> pauses;
  std::function<void()> onSleep;
};

// What a FakeStreamSocket does; each step can be told to fail.
struct FakeSocketScript {
  bool createFails = false;
  int optionFailsAt = -1;  // 0 send buffer, 1 send time-out, 2 receive time-out
  bool connectFails = false;
  long long failSendAfterBytes = -1;   // -1: never
  std::size_t largestSend = SIZE_MAX;  // the system may take fewer bytes than offered
  bool sendReturnsZero = false;
  // What the camera's TCP acknowledged: each query takes the next value, the last one stays.
  // Empty: the system cannot tell.
  std::vector<std::uint64_t> acknowledged;
  bool unknownAcknowledged = false;
  bool failsAfterWriting = false;  // the camera resets once the writes are done
};

// A socket that keeps what is written to it.
class FakeStreamSocket final : public platform::StreamSocket {
 public:
  using Script = FakeSocketScript;

  explicit FakeStreamSocket(Script script = {}) : m_script(script) {}

  bool Create() override {
    if (m_script.createFails) return false;
    open = true;
    ++creates;
    return true;
  }
  bool SetSendBufferSize(int bytes) override {
    options.push_back("SO_SNDBUF=" + std::to_string(bytes));
    return m_script.optionFailsAt != 0;
  }
  bool SetSendTimeout(std::chrono::milliseconds timeout) override {
    options.push_back("SO_SNDTIMEO=" + std::to_string(timeout.count()));
    return m_script.optionFailsAt != 1;
  }
  bool SetReceiveTimeout(std::chrono::milliseconds timeout) override {
    options.push_back("SO_RCVTIMEO=" + std::to_string(timeout.count()));
    return m_script.optionFailsAt != 2;
  }
  bool Connect(const platform::Ipv4Address& address, std::uint16_t port,
               std::chrono::milliseconds limit) override {
    connectedTo = {address, port};
    connectLimit = limit;
    return !m_script.connectFails;
  }
  long long Send(const std::uint8_t* data, std::size_t count) override {
    if (!open) return -1;
    if (m_script.sendReturnsZero) return 0;
    std::size_t take = std::min(count, m_script.largestSend);
    if (m_script.failSendAfterBytes >= 0) {
      auto room = static_cast<std::size_t>(m_script.failSendAfterBytes) - written.size();
      if (room == 0) return -1;
      take = std::min(take, room);
    }
    written.insert(written.end(), data, data + take);
    sendSizes.push_back(count);
    return static_cast<long long>(take);
  }
  std::optional<std::uint64_t> AcknowledgedBytes() const override {
    if (m_script.unknownAcknowledged) return std::nullopt;
    if (m_script.acknowledged.empty()) return written.size();
    const std::size_t at = std::min(acknowledgedQueries++, m_script.acknowledged.size() - 1);
    return m_script.acknowledged[at];
  }
  bool HasFailed() const override { return !open || m_script.failsAfterWriting; }
  void Close() override {
    if (open) ++closes;
    open = false;
  }
  bool IsOpen() const override { return open; }
  std::string LastError() const override { return "scripted failure"; }

  bool open = false;
  int creates = 0;
  int closes = 0;
  std::vector<std::string> options;
  std::pair<platform::Ipv4Address, std::uint16_t> connectedTo{};
  std::chrono::milliseconds connectLimit{-1};
  std::vector<std::uint8_t> written;
  std::vector<std::size_t> sendSizes;  // what each Send call was offered
  mutable std::size_t acknowledgedQueries = 0;

 private:
  Script m_script;
};

}  // namespace tessaro::testing
