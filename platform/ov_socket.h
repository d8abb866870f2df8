// The socket seam under the HTTP client: IPv4 TCP connections with waits that never block
// longer than the caller asks. Implemented with Winsock in platform/windows and with BSD sockets
// in platform/posix. Nothing here logs; the caller decides what a failure means.
#pragma once

#include <stdint.h>

typedef intptr_t OVOS_Socket;
enum { OVOS_NO_SOCKET = -1 };

// Results of connecting.
enum OVOS_ConnectResult { OVOS_CONNECTED = 0, OVOS_CONNECT_PENDING = 1, OVOS_CONNECT_FAILED = 2 };
// Results of OVOS_Receive besides a byte count (> 0) and 0 (the peer closed the connection).
enum { OVOS_RECEIVE_ERROR = -1, OVOS_RECEIVE_NOTHING_YET = -2 };

// Starts the socket layer once per process (Winsock 1.1); later and concurrent calls return the
// first call's result.
bool OVOS_StartSockets();

// Looks a host name (or a dotted IPv4 address) up; the first IPv4 address, in network byte order.
// Blocks for as long as the system resolver takes.
bool OVOS_ResolveHost(const char* name, unsigned char address[4]);

// A non-blocking TCP socket, or OVOS_NO_SOCKET.
OVOS_Socket OVOS_OpenSocket();
void OVOS_CloseSocket(OVOS_Socket socket);

// Starts connecting to address:port; OVOS_CONNECTED, OVOS_CONNECT_PENDING or OVOS_CONNECT_FAILED.
int OVOS_BeginConnect(OVOS_Socket socket, const unsigned char address[4], int port);
// Waits up to wait_ms for a pending connection; the same results.
int OVOS_WaitConnect(OVOS_Socket socket, unsigned wait_ms);

// Sends every byte; false on an error or when the peer takes nothing for timeout_ms.
bool OVOS_SendAll(OVOS_Socket socket, const void* data, int size, unsigned timeout_ms);

// Waits up to wait_ms for data and reads at most size bytes: the count read, 0 when the peer
// closed the connection, OVOS_RECEIVE_NOTHING_YET or OVOS_RECEIVE_ERROR.
int OVOS_Receive(OVOS_Socket socket, void* buffer, int size, unsigned wait_ms);
