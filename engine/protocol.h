#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace tessaro::engine {

// The camera's firmware upload service.
inline constexpr unsigned UPLOAD_PORT = 8399;
inline constexpr std::uint8_t UPLOAD_START_BYTE = 0x72;
// The start byte and the 4-byte little-endian payload length come before the payload.
inline constexpr std::size_t UPLOAD_LENGTH_FIELD_SIZE = 4;
inline constexpr std::size_t UPLOAD_HEADER_SIZE = 1 + UPLOAD_LENGTH_FIELD_SIZE;
// The largest single write of payload bytes.
inline constexpr std::size_t UPLOAD_CHUNK_SIZE = 49152;
// The length field is unsigned 32-bit, so no payload can be longer.
inline constexpr std::uint64_t UPLOAD_MAX_PAYLOAD = 0xFFFFFFFFu;

inline constexpr int UPLOAD_SEND_BUFFER_SIZE = 10240;
inline constexpr std::chrono::milliseconds UPLOAD_SOCKET_TIMEOUT{180000};

// Every Load ends with this pause before the connection is closed.
inline constexpr std::chrono::milliseconds LOAD_END_PAUSE{2000};

}  // namespace tessaro::engine
