#pragma once

// The texts the operator sees, spaces included: operators know these texts by their wording.

namespace tessaro::engine {

inline constexpr const char* MESSAGE_NO_FIRMWARE_MARKER = "Please select Camera Firmware!!";
inline constexpr const char* MESSAGE_NO_CHANNEL = "Please select Channel!!";
// Followed directly by the path text.
inline constexpr const char* MESSAGE_CANNOT_OPEN = "Can't Open  ";
inline constexpr const char* MESSAGE_CANNOT_READ = "Can't Read  ";
inline constexpr const char* MESSAGE_TOO_LARGE = "Too Large to Send  ";
inline constexpr const char* MESSAGE_CONNECTION_CLOSED = "Network connection is closed.";

}  // namespace tessaro::engine
