// Winsock implementation of the socket seam.
#include "platform/ov_socket.h"

#include <winsock2.h>

#include <string.h>

namespace {

SOCKET Handle(OVOS_Socket socket) { return static_cast<SOCKET>(socket); }

timeval Interval(unsigned wait_ms) {
  timeval interval;
  interval.tv_sec = static_cast<long>(wait_ms / 1000);
  interval.tv_usec = static_cast<long>((wait_ms % 1000) * 1000);
  return interval;
}

// Waits until the socket can be read (or written); > 0 ready, 0 time-out, < 0 error.
int WaitFor(OVOS_Socket socket, bool write, unsigned wait_ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(Handle(socket), &set);
  timeval interval = Interval(wait_ms);
  int result = select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &interval);
  return result == SOCKET_ERROR ? -1 : result;
}

}  // namespace

bool OVOS_StartSockets() {
  // Function-local statics are initialised once, also when several threads arrive together.
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }();
  return started;
}

bool OVOS_ResolveHost(const char* name, unsigned char address[4]) {
  if (!name || !name[0]) return false;
  unsigned long numeric = inet_addr(name);
  if (numeric != INADDR_NONE) {
    memcpy(address, &numeric, 4);
    return true;
  }
  // Winsock keeps the result per thread, so concurrent look-ups do not disturb each other.
  hostent* host = gethostbyname(name);
  if (!host || host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list || !host->h_addr_list[0])
    return false;
  memcpy(address, host->h_addr_list[0], 4);
  return true;
}

OVOS_Socket OVOS_OpenSocket() {
  SOCKET handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (handle == INVALID_SOCKET) return OVOS_NO_SOCKET;
  u_long non_blocking = 1;
  if (ioctlsocket(handle, FIONBIO, &non_blocking) != 0) {
    closesocket(handle);
    return OVOS_NO_SOCKET;
  }
  return static_cast<OVOS_Socket>(handle);
}

void OVOS_CloseSocket(OVOS_Socket socket) {
  if (socket != OVOS_NO_SOCKET) closesocket(Handle(socket));
}

int OVOS_BeginConnect(OVOS_Socket socket, const unsigned char address[4], int port) {
  sockaddr_in target;
  memset(&target, 0, sizeof target);
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<u_short>(port));
  memcpy(&target.sin_addr.s_addr, address, 4);
  if (connect(Handle(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) return OVOS_CONNECTED;
  int error = WSAGetLastError();
  return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS ? OVOS_CONNECT_PENDING : OVOS_CONNECT_FAILED;
}

int OVOS_WaitConnect(OVOS_Socket socket, unsigned wait_ms) {
  // Winsock reports a refused connection through the exception set, success through the write set.
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(Handle(socket), &writable);
  FD_SET(Handle(socket), &failed);
  timeval interval = Interval(wait_ms);
  int result = select(0, nullptr, &writable, &failed, &interval);
  if (result == 0) return OVOS_CONNECT_PENDING;
  if (result == SOCKET_ERROR || FD_ISSET(Handle(socket), &failed)) return OVOS_CONNECT_FAILED;
  int error = 0;
  int length = sizeof error;
  if (getsockopt(Handle(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0)
    return OVOS_CONNECT_FAILED;
  return OVOS_CONNECTED;
}

bool OVOS_SendAll(OVOS_Socket socket, const void* data, int size, unsigned timeout_ms) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    int sent = send(Handle(socket), bytes, size, 0);
    if (sent > 0) {
      bytes += sent;
      size -= sent;
      continue;
    }
    if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
      if (WaitFor(socket, true, timeout_ms) <= 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

int OVOS_Receive(OVOS_Socket socket, void* buffer, int size, unsigned wait_ms) {
  if (size <= 0) return OVOS_RECEIVE_ERROR;
  int ready = WaitFor(socket, false, wait_ms);
  if (ready == 0) return OVOS_RECEIVE_NOTHING_YET;
  if (ready < 0) return OVOS_RECEIVE_ERROR;
  int received = recv(Handle(socket), static_cast<char*>(buffer), size, 0);
  if (received >= 0) return received;
  return WSAGetLastError() == WSAEWOULDBLOCK ? OVOS_RECEIVE_NOTHING_YET : OVOS_RECEIVE_ERROR;
}
