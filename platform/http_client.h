// The engine's HTTP/1.0 client: one blocking request per connection over the socket seam
// (platform/ov_socket.h), plain "http://" only, forwarding responses followed.
//
// Results: the status code of the final response, or
//   -1 the URL does not begin with "http://" (or holds control characters)
//   -4 cancelled, the engine is quitting, a socket could not be created, or memory ran out
//   -5 host name not found
//   -6 connection failed: refused, no connection within the connect time-out, sending failed,
//      or the server went silent for the receive time-out (or broke the connection) after the
//      header had arrived
//   -7 request kind not 1 POST, 2 GET, 3 HEAD, 4 PUT, 5 DELETE
//   -8 the body's length differs from the announced "Content-Length"
//   -9 the connection closed (or was broken, or the header grew past 64 KB) before the header
//      ended; a silent server there gives -6
//
// Bounds, so that a dead or hostile server cannot hang a game:
//   - at most HTTP_MAX_FORWARDS (10) forwarding responses are followed; the next one is read as
//     the final response and its status (301, 302, 303 or 307) is the result;
//   - connecting gives up after HTTP_CONNECT_TIMEOUT_MS (15 s);
//   - receiving gives up when no byte arrives for HTTP_RECEIVE_TIMEOUT_MS (30 s); a server that
//     keeps sending is read for as long as it sends (the cancel flag stops it);
//   - waits are sliced into HTTP_POLL_MS (50 ms) so that the cancel flag (when it holds 1) and the
//     engine's quit flag end the request within a slice, also while connecting or waiting for an
//     answer. The host name look-up itself is the system's and cannot be interrupted.
//
// Buffers: every given out pointer receives a new buffer for each call, whatever the result; the
// caller frees it with OV_FreeBuffer. The response buffer holds the body; when it is complete its
// capacity equals the announced "Content-Length" (and its size when nothing was announced), so a
// caller comparing size and capacity sees whether the whole body arrived. After -8 the buffer
// keeps what was received (reading stops once more than announced arrived). The header buffer
// holds the final response's header text followed by a NUL (the NUL is counted in its size).
// A HEAD response carries no body: its announced length is kept in the capacity (up to 16 MB)
// and never compared.
#pragma once

#include <stddef.h>

#include <string>

#include "core/orvel.h"

enum {
  HTTP_MAX_FORWARDS = 10,
  HTTP_CONNECT_TIMEOUT_MS = 15000,
  HTTP_RECEIVE_TIMEOUT_MS = 30000,
  HTTP_POLL_MS = 50,
  HTTP_MAX_HEADER_BYTES = 64 * 1024,
};

int OV_CALL OV_WebRequest(int kind, const char* url, const char* content_type, const void* body, int body_length,
                          ByteBuffer** response, volatile int* cancel);
int OV_CALL OV_WebRequestWithHeaders(int kind, const char* url, const char* headers, int header_length,
                                     const void* body, int body_length, ByteBuffer** response_header,
                                     ByteBuffer** response, volatile int* cancel);

// Tests: other time-outs for every following request; 0 restores a default.
void OVI_SetHttpTimeouts(unsigned connect_ms, unsigned receive_ms);

// A response head as the client reads it: the status line and the header fields up to the first
// line that holds nothing but CR characters before its LF.
struct HttpHead {
  int status = 0;           // the number after "HTTP/<version> "; 0 when there is none
  bool has_length = false;  // a "Content-Length" starting with a digit was announced
  int content_length = 0;   // its value, at most 0x7fffffff
  bool has_location = false;
  std::string location;     // the "Location" field, without surrounding blanks
  // Where the search for the end stopped; a reader that calls again with more bytes goes on
  // from there.
  size_t scanned = 0;
  bool blank_line = true;  // the line being scanned holds nothing but CR so far
};

enum { HTTP_HEAD_INCOMPLETE = 0, HTTP_HEAD_TOO_LONG = -1 };

// Reads a response head from the first size bytes of data (the response as received so far).
//   > 0                   the head's length in bytes, its end line included; *head holds its
//                         fields and any bytes after it begin the body
//   HTTP_HEAD_INCOMPLETE  no end yet within these bytes (at most HTTP_MAX_HEADER_BYTES of them)
//   HTTP_HEAD_TOO_LONG    no end within the first HTTP_MAX_HEADER_BYTES bytes
// Field names match in any case. Reading piece by piece: call again with the same *head and
// all bytes received so far.
int OVI_ParseHttpHead(const char* data, size_t size, HttpHead* head);
