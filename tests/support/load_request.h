#pragma once

#include <string>
#include <utility>

#include "engine/load_sequence.h"

namespace tessaro::testing {

// What the operator would enter for a Load to a camera on this machine.
inline engine::LoadRequest LoadRequestFor(std::string path, std::string channel = "1",
                                          unsigned port = engine::UPLOAD_PORT,
                                          platform::Ipv4Address address = {127, 0, 0, 1}) {
  engine::LoadRequest request;
  request.address = address;
  request.channelText = std::move(channel);
  request.firmwarePath = std::move(path);
  request.port = port;
  return request;
}

}  // namespace tessaro::testing
