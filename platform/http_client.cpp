// The HTTP/1.0 client behind OV_WebRequest and OV_WebRequestWithHeaders (see http_client.h).
#include "platform/http_client.h"

#include <stdio.h>
#include <string.h>

#include <atomic>
#include <string>

#include "core/byte_buffer.h"
#include "core/core_state.h"
#include "core/log.h"
#include "platform/ov_os.h"
#include "platform/ov_socket.h"

namespace {

std::atomic<unsigned> connect_timeout_ms{HTTP_CONNECT_TIMEOUT_MS};
std::atomic<unsigned> receive_timeout_ms{HTTP_RECEIVE_TIMEOUT_MS};

const int kChunk = 1023;                  // body bytes read at a time
const int kSendPiece = 64 * 1024;         // the request is sent in pieces, checking the flags between them
const int kMaxReservation = 16 << 20;     // reserved ahead of an announced body at most
const int kHead = 3;

// Internal results of waiting for bytes, besides counts, 0 and OVOS_RECEIVE_ERROR.
enum { kStopped = -100, kTimedOut = -101 };

const char* Method(int kind) {
  switch (kind) {
    case 1: return "POST";
    case 2: return "GET";
    case 3: return "HEAD";
    case 4: return "PUT";
    case 5: return "DELETE";
    default: return nullptr;
  }
}

// The caller's cancel flag holds 1, or the engine is quitting. Both are written by other threads.
bool Stopped(volatile int* cancel) {
  if (cancel && __atomic_load_n(cancel, __ATOMIC_RELAXED) == 1) return true;
  return __atomic_load_n(&core.quit_requested, __ATOMIC_RELAXED);
}

bool StartsWithHttp(const std::string& url) { return url.compare(0, 7, "http://") == 0; }

// The text after "http://" up to the first '/'.
std::string HostPart(const std::string& url) {
  if (!StartsWithHttp(url)) return std::string();
  size_t slash = url.find('/', 7);
  return url.substr(7, slash == std::string::npos ? std::string::npos : slash - 7);
}

struct Url {
  std::string host_part;  // host[:port], as written
  std::string host;
  std::string path;       // without its leading '/' characters
  int port;               // -1 when the port is not a number in 1..65535
};

// False when the URL does not begin with "http://" or holds control characters (which would
// let it write further lines into the request).
bool SplitUrl(const std::string& url, Url* out) {
  if (!StartsWithHttp(url)) return false;
  for (unsigned char c : url)
    if (c < 0x20 || c == 0x7f) return false;
  out->host_part = HostPart(url);
  size_t position = 7 + out->host_part.size();
  while (position < url.size() && url[position] == '/') ++position;
  out->path = url.substr(position);
  size_t colon = out->host_part.find(':');
  out->host = out->host_part.substr(0, colon);
  out->port = 80;
  if (colon != std::string::npos) {
    const std::string digits = out->host_part.substr(colon + 1);
    long port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9' || port > 65535) {
        port = -1;
        break;
      }
      port = port * 10 + (c - '0');
    }
    out->port = digits.empty() || port < 1 || port > 65535 ? -1 : static_cast<int>(port);
  }
  return true;
}

void ReplaceAll(std::string* text, const std::string& old_text, const std::string& new_text) {
  if (old_text.empty()) return;
  for (size_t at = text->find(old_text); at != std::string::npos; at = text->find(old_text, at + new_text.size()))
    text->replace(at, old_text.size(), new_text);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of a header field (name matched at a line start, in any case), without the spaces
// after the colon and without the line end.
bool FindField(const std::string& header, const char* name, std::string* value) {
  size_t name_length = strlen(name);
  for (size_t line = 0; line < header.size();) {
    size_t end = header.find('\n', line);
    if (end == std::string::npos) end = header.size();
    bool match = end - line > name_length && header[line + name_length] == ':';
    for (size_t i = 0; match && i < name_length; ++i) match = Lower(header[line + i]) == Lower(name[i]);
    if (match) {
      size_t start = line + name_length + 1;
      while (start < end && (header[start] == ' ' || header[start] == '\t')) ++start;
      size_t stop = end;
      while (stop > start && (header[stop - 1] == '\r' || header[stop - 1] == ' ' || header[stop - 1] == '\t')) --stop;
      *value = header.substr(start, stop - start);
      return true;
    }
    line = end + 1;
  }
  return false;
}

// The number after the first space following "HTTP/" (at most 16 characters before that space,
// at most 6 digits); 0 when there is none.
int ParseStatus(const std::string& header) {
  size_t position = header.find("HTTP/");
  if (position == std::string::npos) return 0;
  position += 5;
  size_t limit = position + 16;
  while (position < header.size() && position < limit && header[position] != ' ') ++position;
  if (position >= header.size() || header[position] != ' ') return 0;
  ++position;
  int status = 0;
  for (int digits = 0; digits < 6 && position < header.size() && header[position] >= '0' && header[position] <= '9';
       ++digits, ++position)
    status = status * 10 + (header[position] - '0');
  return status;
}

// The announced "Content-Length"; false when none (or no number) is announced.
bool AnnouncedLength(const std::string& header, int* length) {
  std::string value;
  if (!FindField(header, "Content-Length", &value) || value.empty() || value[0] < '0' || value[0] > '9') return false;
  long long number = 0;
  for (size_t i = 0; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
    number = number < 0x7fffffff ? number * 10 + (value[i] - '0') : number;
  *length = number > 0x7fffffff ? 0x7fffffff : static_cast<int>(number);
  return true;
}

// Replaces *out with a new empty buffer with room for capacity bytes.
bool Renew(ByteBuffer** out, int capacity) {
  ByteBuffer* fresh = OVI_CreateBuffer(capacity);
  if (!fresh) return false;
  OVI_FreeBuffer(*out);
  *out = fresh;
  return true;
}

// Gives the buffer exactly capacity bytes of room, keeping its contents (capacity >= size).
bool FitBuffer(ByteBuffer** out, int capacity) {
  if ((*out)->capacity == capacity) return true;
  ByteBuffer* fresh = OVI_CreateBuffer(capacity);
  if (!fresh) return false;
  if (!OVI_AppendBytes(fresh, (*out)->data, (*out)->size)) {
    OVI_FreeBuffer(fresh);
    return false;
  }
  OVI_FreeBuffer(*out);
  *out = fresh;
  return true;
}

void Clear(ByteBuffer* buffer) {
  if (!buffer) return;
  buffer->size = 0;
  buffer->read_position = 0;
}

struct Request {
  int kind;
  std::string url;
  std::string headers;
  const char* body;
  int body_length;
  ByteBuffer** response_header;
  ByteBuffer** response;
  volatile int* cancel;
};

// One connection; closed when it goes out of scope.
class Connection {
 public:
  Connection(const std::string& host_part, volatile int* cancel) : host_part_(host_part), cancel_(cancel) {}
  ~Connection() { OVOS_CloseSocket(socket_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // 0 connected, -4 stopped or no socket, -6 refused or timed out.
  int Open(const unsigned char address[4], int port) {
    socket_ = OVOS_OpenSocket();
    if (socket_ == OVOS_NO_SOCKET) {
      OV_LogLevel(LOG_WARNING, "Unable to create a socket for '%s'.", host_part_.c_str());
      return -4;
    }
    int state = OVOS_BeginConnect(socket_, address, port);
    unsigned start = OVOS_Milliseconds();
    while (state == OVOS_CONNECT_PENDING) {
      if (Stopped(cancel_)) return -4;
      if (OVOS_Milliseconds() - start >= connect_timeout_ms.load()) break;
      state = OVOS_WaitConnect(socket_, HTTP_POLL_MS);
    }
    if (state != OVOS_CONNECTED) {
      OV_LogLevel(LOG_WARNING, "Connect to '%s' failed.\n", host_part_.c_str());
      return -6;
    }
    return 0;
  }

  // 0 sent, -4 stopped, -6 failed.
  int Send(const char* data, int size) {
    while (size > 0) {
      if (Stopped(cancel_)) return -4;
      int piece = size < kSendPiece ? size : kSendPiece;
      if (!OVOS_SendAll(socket_, data, piece, receive_timeout_ms.load())) {
        OV_LogLevel(LOG_WARNING, "Sending the request to '%s' failed.", host_part_.c_str());
        return -6;
      }
      data += piece;
      size -= piece;
    }
    return 0;
  }

  // Waits for bytes in short slices: a count, 0 when the peer closed, OVOS_RECEIVE_ERROR,
  // kStopped or kTimedOut (nothing for the receive time-out).
  int Receive(char* out, int size) {
    unsigned start = OVOS_Milliseconds();
    for (;;) {
      if (Stopped(cancel_)) return kStopped;
      int received = OVOS_Receive(socket_, out, size, HTTP_POLL_MS);
      if (received != OVOS_RECEIVE_NOTHING_YET) return received;
      if (OVOS_Milliseconds() - start >= receive_timeout_ms.load()) return kTimedOut;
    }
  }

  // Reads the response head (see OVI_ParseHttpHead); the bytes after it stay buffered for the body.
  // 0 read, -4 stopped, -6 silent server, -9 closed, broken or too long.
  int ReadHeader(std::string* header, HttpHead* head) {
    std::string text;
    for (;;) {
      if (Stopped(cancel_)) return -4;
      int received = Receive(buffer_, sizeof buffer_);
      if (received == kStopped) return -4;
      if (received == kTimedOut) return TimedOut();
      if (received == 0) {
        OV_LogLevel(LOG_WARNING, "Zero length data packet received from '%s'. Closing connection.", host_part_.c_str());
        return -9;
      }
      if (received < 0) {
        OV_LogLevel(LOG_WARNING, "Connection to '%s' broke while reading the header.", host_part_.c_str());
        return -9;
      }
      text.append(buffer_, static_cast<size_t>(received));
      int length = OVI_ParseHttpHead(text.data(), text.size(), head);
      if (length == HTTP_HEAD_TOO_LONG) {
        OV_LogLevel(LOG_WARNING, "Response header from '%s' is longer than %d bytes. Closing connection.",
                    host_part_.c_str(), HTTP_MAX_HEADER_BYTES);
        return -9;
      }
      if (length > 0) {
        // The head ends inside the bytes just received; the rest of them begin the body.
        header->assign(text, 0, static_cast<size_t>(length));
        start_ = received - static_cast<int>(text.size() - static_cast<size_t>(length));
        end_ = received;
        return 0;
      }
    }
  }

  // Bytes that arrived after the header, handed out once.
  int TakeBuffered(const char** data) {
    *data = buffer_ + start_;
    int count = end_ - start_;
    start_ = end_ = 0;
    return count;
  }

  int TimedOut() {
    OV_LogLevel(LOG_WARNING, "No data from '%s' for %u ms. Closing connection.", host_part_.c_str(),
                receive_timeout_ms.load());
    return -6;
  }

  const std::string& host_part() const { return host_part_; }

 private:
  std::string host_part_;
  volatile int* cancel_;
  OVOS_Socket socket_ = OVOS_NO_SOCKET;
  char buffer_[kChunk];
  int start_ = 0, end_ = 0;
};

// Reads the body after the header into the response buffer and checks it against the announced
// length. The status, or a negative result.
int ReadBody(Connection& connection, Request& request, const HttpHead& head) {
  const int status = head.status;
  const long long announced = head.content_length;
  const bool has_length = head.has_length;
  ByteBuffer** response = request.response;

  // A HEAD response announces the length of what a GET would deliver and carries no body.
  if (request.kind == kHead) {
    if (response && has_length && announced > 0 && announced <= kMaxReservation &&
        !Renew(response, static_cast<int>(announced)))
      return -4;
    return status;
  }

  if (response && has_length && announced > 0 &&
      !Renew(response, static_cast<int>(announced < kMaxReservation ? announced : kMaxReservation)))
    return -4;

  long long received = 0;
  const char* data = nullptr;
  int count = connection.TakeBuffered(&data);
  char chunk[kChunk];
  for (;;) {
    if (count > 0) {
      received += count;
      if (response && !OVI_AppendBytes(*response, data, count)) {
        OV_LogLevel(LOG_WARNING, "Unable to keep the response from '%s' in memory (%lld bytes).",
                    connection.host_part().c_str(), received);
        return -4;
      }
    }
    // More than announced: the result is known; reading on would only fill memory.
    if (has_length && received > announced) break;
    count = connection.Receive(chunk, sizeof chunk);
    data = chunk;
    if (count == 0) break;
    if (count == kStopped) return -4;
    bool complete = has_length && received == announced;
    if (count == kTimedOut) {
      if (complete) break;  // the whole body is here; the server just does not close
      return connection.TimedOut();
    }
    if (count < 0) {
      if (complete) break;
      OV_LogLevel(LOG_WARNING, "Connection to '%s' broke while reading the body.", connection.host_part().c_str());
      return -6;
    }
  }

  if (has_length && received != announced) {
    OV_Report(LOG_WARNING, "Content-Length in header (%d bytes) doesn't match received bytes (%d bytes).",
              static_cast<int>(announced), static_cast<int>(received > 0x7fffffff ? 0x7fffffff : received));
    return -8;
  }
  if (response && !FitBuffer(response, has_length ? static_cast<int>(announced) : (*response)->size)) return -4;
  return status;
}

bool IsForward(int status) { return status == 301 || status == 302 || status == 303 || status == 307; }

int Perform(Request& request) {
  for (int forwards = 0;; ++forwards) {
    if (request.response_header) Clear(*request.response_header);
    if (request.response) Clear(*request.response);

    Url url;
    if (!SplitUrl(request.url, &url)) {
      OV_LogLevel(LOG_WARNING, "Only plain http:// addresses can be requested: '%s'", request.url.c_str());
      return -1;
    }
    const char* method = Method(request.kind);
    if (!method) {
      OV_LogLevel(LOG_WARNING, "Unknown http request type (#%d) for url '%s'", request.kind, request.url.c_str());
      return -7;
    }
    std::string request_line = std::string(method) + " /" + url.path + " HTTP/1.0\r\n";
    if (url.port < 0) {
      OV_LogLevel(LOG_WARNING, "Connect to '%s' failed.\n", url.host_part.c_str());
      return -6;
    }

    if (!OVOS_StartSockets()) {
      OV_LogLevel(LOG_WARNING, "Unable to start the socket layer.");
      return -4;
    }
    if (Stopped(request.cancel)) return -4;
    unsigned char address[4];
    if (!OVOS_ResolveHost(url.host.c_str(), address)) {
      OV_LogLevel(LOG_WARNING, "Unable to locate host '%s'\n", url.host.c_str());
      return -5;
    }
    if (Stopped(request.cancel)) return -4;

    Connection connection(url.host_part, request.cancel);
    int result = connection.Open(address, url.port);
    if (result != 0) return result;
    if ((result = connection.Send(request_line.data(), static_cast<int>(request_line.size()))) != 0 ||
        (result = connection.Send(request.headers.data(), static_cast<int>(request.headers.size()))) != 0 ||
        (result = connection.Send(request.body, request.body_length)) != 0)
      return result;

    std::string header;
    HttpHead head;
    if ((result = connection.ReadHeader(&header, &head)) != 0) return result;
    int status = head.status;

    if (IsForward(status)) {
      OV_LogLevel(LOG_WARNING, "HTTP forwarding header (status code %d) received.", status);
      const std::string& location = head.location;
      if (head.has_location) {
        if (forwards < HTTP_MAX_FORWARDS) {
          OV_LogLevel(LOG_WARNING, "Forwarding to '%s'..", location.c_str());
          if (StartsWithHttp(location)) ReplaceAll(&request.headers, url.host_part, HostPart(location));
          request.url = location;
          continue;  // the connection closes here
        }
        OV_LogLevel(LOG_WARNING, "Not following more than %d HTTP forwards; this answer is the last.",
                    HTTP_MAX_FORWARDS);
      }
    }
    if (status != 200) OV_LogLevel(LOG_WARNING, "Non-OK HTTP header (status code %d):\n%s\n", status, header.c_str());

    if (request.response_header &&
        (!OVI_AppendBytes(*request.response_header, header.data(), static_cast<int>(header.size())) ||
         !OVI_AppendNul(*request.response_header)))
      return -4;
    return ReadBody(connection, request, head);
  }
}

// New empty buffers for the given out pointers; false when memory ran out.
bool CreateOutBuffers(ByteBuffer** response_header, ByteBuffer** response) {
  if (response_header) *response_header = OVI_CreateBuffer(0);
  if (response) *response = OVI_CreateBuffer(0);
  return (!response_header || *response_header) && (!response || *response);
}

// A missing body or a negative length sends no body.
int BodyLength(const void* body, int body_length) { return body && body_length > 0 ? body_length : 0; }

std::string StandardHeaders(const char* url, const char* content_type, int body_length) {
  const ProgramInterface* program = core.program ? core.program : &core.default_program;
  int id_length = static_cast<int>(strnlen(program->id, sizeof program->id));
  int version_length = static_cast<int>(strnlen(program->version, sizeof program->version));
  char agent[128];
  snprintf(agent, sizeof agent, "User-Agent: Mozilla/5.0 (%.*s/%.*s; %s)\r\n", id_length, program->id, version_length,
           program->version, "WINDOWS");
  char length[48];
  snprintf(length, sizeof length, "Content-Length: %d\r\n", body_length);
  std::string headers = "Accept: */*\r\n";
  headers += agent;
  headers += length;
  headers += "Accept-Language: en-us\r\n";
  headers += "Host: " + HostPart(url) + "\r\n";
  headers += "Content-Type: ";
  headers += content_type && content_type[0] ? content_type : "application/octet-stream";
  headers += "\r\n\r\n";
  return headers;
}

}  // namespace

int OVI_ParseHttpHead(const char* data, size_t size, HttpHead* head) {
  if (head->scanned > size) {  // not the bytes of the earlier calls: start over
    head->scanned = 0;
    head->blank_line = true;
  }
  const size_t limit = size < static_cast<size_t>(HTTP_MAX_HEADER_BYTES) ? size : static_cast<size_t>(HTTP_MAX_HEADER_BYTES);
  for (; head->scanned < limit; ++head->scanned) {
    char c = data[head->scanned];
    if (c != '\n') {
      if (c != '\r') head->blank_line = false;
      continue;
    }
    if (!head->blank_line) {
      head->blank_line = true;  // a new line begins
      continue;
    }
    // The end line: the fields are read from the whole head.
    size_t length = ++head->scanned;
    std::string text(data, length);
    head->status = ParseStatus(text);
    head->has_length = AnnouncedLength(text, &head->content_length);
    if (!head->has_length) head->content_length = 0;
    head->location.clear();
    head->has_location = FindField(text, "Location", &head->location);
    return static_cast<int>(length);
  }
  return size > static_cast<size_t>(HTTP_MAX_HEADER_BYTES) ? HTTP_HEAD_TOO_LONG : HTTP_HEAD_INCOMPLETE;
}

int OV_CALL OV_WebRequest(int kind, const char* url, const char* content_type, const void* body, int body_length,
                          ByteBuffer** response, volatile int* cancel) {
  try {
    if (!CreateOutBuffers(nullptr, response)) return -4;
    if (!url) url = "";
    body_length = BodyLength(body, body_length);
    Request request{kind, url, StandardHeaders(url, content_type, body_length), static_cast<const char*>(body),
                    body_length, nullptr, response, cancel};
    if (Stopped(cancel)) return -4;
    return Perform(request);
  } catch (...) {
    return -4;
  }
}

int OV_CALL OV_WebRequestWithHeaders(int kind, const char* url, const char* headers, int header_length,
                                     const void* body, int body_length, ByteBuffer** response_header,
                                     ByteBuffer** response, volatile int* cancel) {
  try {
    if (!CreateOutBuffers(response_header, response)) return -4;
    if (!url) url = "";
    if (!headers) headers = "";
    if (header_length < 0) header_length = static_cast<int>(strlen(headers));
    body_length = BodyLength(body, body_length);
    Request request{kind,        url,
                    std::string(headers, static_cast<size_t>(header_length)),
                    static_cast<const char*>(body),
                    body_length, response_header,
                    response,    cancel};
    return Perform(request);
  } catch (...) {
    return -4;
  }
}

void OVI_SetHttpTimeouts(unsigned connect_ms, unsigned receive_ms) {
  connect_timeout_ms = connect_ms ? connect_ms : static_cast<unsigned>(HTTP_CONNECT_TIMEOUT_MS);
  receive_timeout_ms = receive_ms ? receive_ms : static_cast<unsigned>(HTTP_RECEIVE_TIMEOUT_MS);
}
