#pragma once

#include <string>

namespace tessaro::platform {

enum class MessageKind { Warning, Error };

// Shows one message to the operator and returns only once it has been dismissed.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
};

}  // namespace tessaro::platform
