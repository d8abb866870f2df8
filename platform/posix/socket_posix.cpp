// BSD-socket implementation of the socket seam, for the native build.
#include "platform/ov_socket.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0
#endif

namespace {

// Waits for events on the socket; > 0 when one arrived, 0 on time-out, < 0 on an error.
int WaitFor(OVOS_Socket socket, short events, unsigned wait_ms) {
  pollfd entry;
  entry.fd = static_cast<int>(socket);
  entry.events = events;
  entry.revents = 0;
  int timeout = wait_ms > 0x7fffffffu ? 0x7fffffff : static_cast<int>(wait_ms);
  int result = poll(&entry, 1, timeout);
  if (result < 0 && errno == EINTR) return 0;
  return result;
}

}  // namespace

bool OVOS_StartSockets() { return true; }

bool OVOS_ResolveHost(const char* name, unsigned char address[4]) {
  if (!name || !name[0]) return false;
  addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0 || !found) return false;
  bool ok = false;
  for (addrinfo* entry = found; entry; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || !entry->ai_addr) continue;
    const sockaddr_in* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
    memcpy(address, &ipv4->sin_addr.s_addr, 4);
    ok = true;
    break;
  }
  freeaddrinfo(found);
  return ok;
}

OVOS_Socket OVOS_OpenSocket() {
  int fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fd < 0) return OVOS_NO_SOCKET;
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
    close(fd);
    return OVOS_NO_SOCKET;
  }
#ifdef SO_NOSIGPIPE
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
  return fd;
}

void OVOS_CloseSocket(OVOS_Socket socket) {
  if (socket != OVOS_NO_SOCKET) close(static_cast<int>(socket));
}

int OVOS_BeginConnect(OVOS_Socket socket, const unsigned char address[4], int port) {
  sockaddr_in target;
  memset(&target, 0, sizeof target);
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<unsigned short>(port));
  memcpy(&target.sin_addr.s_addr, address, 4);
  if (connect(static_cast<int>(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0)
    return OVOS_CONNECTED;
  return errno == EINPROGRESS || errno == EINTR ? OVOS_CONNECT_PENDING : OVOS_CONNECT_FAILED;
}

int OVOS_WaitConnect(OVOS_Socket socket, unsigned wait_ms) {
  int ready = WaitFor(socket, POLLOUT, wait_ms);
  if (ready == 0) return OVOS_CONNECT_PENDING;
  if (ready < 0) return OVOS_CONNECT_FAILED;
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
    return OVOS_CONNECT_FAILED;
  return OVOS_CONNECTED;
}

bool OVOS_SendAll(OVOS_Socket socket, const void* data, int size, unsigned timeout_ms) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t sent = send(static_cast<int>(socket), bytes, static_cast<size_t>(size), MSG_NOSIGNAL);
    if (sent > 0) {
      bytes += sent;
      size -= static_cast<int>(sent);
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (WaitFor(socket, POLLOUT, timeout_ms) <= 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

int OVOS_Receive(OVOS_Socket socket, void* buffer, int size, unsigned wait_ms) {
  if (size <= 0) return OVOS_RECEIVE_ERROR;
  int ready = WaitFor(socket, POLLIN, wait_ms);
  if (ready == 0) return OVOS_RECEIVE_NOTHING_YET;
  if (ready < 0) return OVOS_RECEIVE_ERROR;
  ssize_t received = recv(static_cast<int>(socket), buffer, static_cast<size_t>(size), 0);
  if (received >= 0) return static_cast<int>(received);
  if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return OVOS_RECEIVE_NOTHING_YET;
  return OVOS_RECEIVE_ERROR;
}
