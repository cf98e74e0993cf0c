#pragma once

// The one place where the socket API differs between POSIX and Winsock.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>
#endif

#include <string>

namespace tessaro::platform {

#ifdef _WIN32
using socket_t = SOCKET;
constexpr socket_t kInvalidSocket = INVALID_SOCKET;
inline int close_socket(socket_t socket) { return ::closesocket(socket); }
#else
using socket_t = int;
constexpr socket_t kInvalidSocket = -1;
inline int close_socket(socket_t socket) { return ::close(socket); }
#endif

// Starts the socket library once per process; a failed start is tried again next time.
bool EnsureSocketLibrary();

// The system's text for the last socket error of this thread.
std::string LastSocketErrorText();

// True when the last socket call was interrupted by a signal and should simply be repeated.
bool LastSocketCallInterrupted();

}  // namespace tessaro::platform
