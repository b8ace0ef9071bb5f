#pragma once
// Loopback sockets for the test servers: each listens on a port the kernel
// picks, so parallel test runs never meet.

#include <netinet/in.h>

#include <string>

namespace velloran::test {

/// 127.0.0.1:port.
sockaddr_in LoopbackAddress(int port);

/// A loopback port that nothing listens on at the moment of the call.
int FreeLoopbackPort();

/// A socket listening on a free loopback port; sets `port`. Throws when
/// none can be had.
int ListenOnLoopback(int* port, int backlog = 16);

/// Whether something accepts TCP connections on `ipv4`:`port`.
bool AcceptsConnections(const std::string& ipv4, int port);

}  // namespace velloran::test
