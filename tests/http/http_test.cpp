// The HTTP client against a scripted server on 127.0.0.1 inside the test process.
#include <gtest/gtest.h>

#include "tests/support/file_system_fixture.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
typedef SOCKET RawSocket;
typedef int SocketLength;
const RawSocket kNoSocket = INVALID_SOCKET;
void CloseRaw(RawSocket socket) { closesocket(socket); }
const int kSendFlags = 0;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
typedef int RawSocket;
typedef socklen_t SocketLength;
const RawSocket kNoSocket = -1;
void CloseRaw(RawSocket socket) { close(socket); }
const int kSendFlags = MSG_NOSIGNAL;
#endif

#include "core/byte_buffer.h"
#include "core/core_state.h"
#include "core/lifecycle.h"
#include "core/threads.h"
#include "filesystem/file_api.h"
#include "filesystem/paths.h"
#include "platform/http_client.h"
#include "platform/ov_os.h"
#include "platform/ov_socket.h"

namespace {

// A socket bound to 127.0.0.1 on *port (a free one when it holds 0); listening when asked.
RawSocket BindLocal(int* port, bool listening) {
  RawSocket socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket == kNoSocket) return kNoSocket;
  sockaddr_in address;
  memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<unsigned short>(*port));
  if (*port != 0) {
    // A fixed port is bound again by later runs while closed connections of earlier ones linger.
    int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
  }
  SocketLength length = sizeof address;
  if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (listening && listen(socket, 16) != 0) ||
      getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseRaw(socket);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return socket;
}

// True when the socket can be read within wait_ms.
bool Readable(RawSocket socket, int wait_ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval interval = {wait_ms / 1000, (wait_ms % 1000) * 1000};
  return select(static_cast<int>(socket) + 1, &set, nullptr, nullptr, &interval) > 0;
}

class TestServer;
// What the server does with one connection once the request has been read.
typedef std::function<void(TestServer& server, RawSocket client, int index)> Script;

class TestServer {
 public:
  // Listens on a free port, or on fixed_port, waiting up to a minute while another process holds it.
  explicit TestServer(Script script, int fixed_port = 0) : script_(std::move(script)) {
    EXPECT_TRUE(OVOS_StartSockets());
    for (unsigned start = OVOS_Milliseconds();;) {
      port_ = fixed_port;
      listener_ = BindLocal(&port_, true);
      if (listener_ != kNoSocket || fixed_port == 0 || OVOS_Milliseconds() - start > 60000) break;
      OVOS_Sleep(200);
    }
    if (fixed_port == 0) {
      EXPECT_NE(listener_, kNoSocket);
    }
    if (listener_ != kNoSocket) thread_ = std::thread([this] { Run(); });
  }
  ~TestServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != kNoSocket) CloseRaw(listener_);
  }

  bool listening() const { return listener_ != kNoSocket; }
  int port() const { return port_; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  std::string HostPart() const { return "127.0.0.1:" + std::to_string(port_); }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  static void Send(RawSocket client, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
      int sent = ::send(client, text.data() + done, static_cast<int>(text.size() - done), kSendFlags);
      if (sent <= 0) return;
      done += static_cast<size_t>(sent);
    }
  }
  // Waits until the client closes its end (or two minutes pass).
  static void WaitForClose(RawSocket client) {
    char byte[256];
    for (int waited = 0; waited < 120000; waited += 100) {
      if (!Readable(client, 100)) continue;
      if (::recv(client, byte, sizeof byte, 0) <= 0) return;
    }
  }

 private:
  void Run() {
    for (int index = 0; !stop_;) {
      if (!Readable(listener_, 50)) continue;
      RawSocket client = accept(listener_, nullptr, nullptr);
      if (client == kNoSocket) continue;
      std::string request = ReadRequest(client);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
      }
      script_(*this, client, index++);
      CloseRaw(client);
    }
  }

  // The header up to the empty line and as many body bytes as its Content-Length announces.
  static std::string ReadRequest(RawSocket client) {
    std::string text;
    size_t wanted = std::string::npos;
    char chunk[4096];
    for (int waited = 0; waited < 60000 && text.size() < wanted;) {
      if (!Readable(client, 100)) {
        waited += 100;
        continue;
      }
      int received = ::recv(client, chunk, sizeof chunk, 0);
      if (received <= 0) break;
      text.append(chunk, static_cast<size_t>(received));
      size_t end = text.find("\r\n\r\n");
      if (wanted == std::string::npos && end != std::string::npos) {
        size_t field = text.find("Content-Length: ");
        size_t length = field != std::string::npos && field < end ? strtoul(text.c_str() + field + 16, nullptr, 10) : 0;
        wanted = end + 4 + length;
      }
    }
    return text;
  }

  Script script_;
  RawSocket listener_ = kNoSocket;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

Script Reply(const std::string& response) {
  return [response](TestServer&, RawSocket client, int) { TestServer::Send(client, response); };
}

std::string Body(const ByteBuffer* buffer) {
  return buffer && buffer->size > 0 ? std::string(reinterpret_cast<const char*>(buffer->data), static_cast<size_t>(buffer->size))
                                    : std::string();
}

std::string StandardHeaders(const std::string& host_part, int body_length, const char* content_type) {
  return "Accept: */*\r\nUser-Agent: Mozilla/5.0 (testgame/1.2; WINDOWS)\r\nContent-Length: " +
         std::to_string(body_length) + "\r\nAccept-Language: en-us\r\nHost: " + host_part +
         "\r\nContent-Type: " + content_type + "\r\n\r\n";
}

ProgramInterface record;

class Http : public testing::Test {
 protected:
  void SetUp() override {
    core.unattended = true;
    core.program_initialized = true;
    OVOS_SetHeadlessPopups(true);
    memset(&record, 0, sizeof record);
    strcpy(record.id, "testgame");
    strcpy(record.version, "1.2");
    core.program = &record;
  }
  void TearDown() override {
    core.quit_requested = false;
    core.program = nullptr;
    OVI_SetHttpTimeouts(0, 0);
    OVI_FreeBuffer(response);
    OVI_FreeBuffer(header);
  }
  ByteBuffer* response = nullptr;
  ByteBuffer* header = nullptr;
};

TEST_F(Http, RequestLineAndStandardHeadersOfEveryKind) {
  struct Case {
    int kind;
    const char* method;
  } cases[] = {{1, "POST"}, {2, "GET"}, {3, "HEAD"}, {4, "PUT"}, {5, "DELETE"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    TestServer server(Reply(c.kind == 3 ? "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n"
                                        : "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
    int result = OV_WebRequest(c.kind, server.Url("/a/b?x=1").c_str(), "text/plain", "k=v", 3, &response, nullptr);
    EXPECT_EQ(result, 200);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], std::string(c.method) + " /a/b?x=1 HTTP/1.0\r\n" +
                                        StandardHeaders(server.HostPart(), 3, "text/plain") + "k=v");
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(Body(response), c.kind == 3 ? "" : "hello");
    EXPECT_EQ(response->capacity, 5);
    OVI_FreeBuffer(response);
    response = nullptr;
  }
}

TEST_F(Http, PathsAndDefaultContentType) {
  struct Case {
    const char* path;
    const char* request_line;
  } cases[] = {{"", "GET / HTTP/1.0\r\n"}, {"/", "GET / HTTP/1.0\r\n"}, {"///x/y", "GET /x/y HTTP/1.0\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    TestServer server(Reply("HTTP/1.0 200 OK\r\n\r\n"));
    EXPECT_EQ(OV_WebRequest(2, server.Url(c.path).c_str(), nullptr, nullptr, 0, nullptr, nullptr), 200);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              c.request_line + StandardHeaders(server.HostPart(), 0, "application/octet-stream"));
  }
}

TEST_F(Http, LargeBodiesAndCapacity) {
  std::string body;
  for (int i = 0; i < 100000; ++i) body.push_back(static_cast<char>('a' + i % 26));
  for (bool announced : {false, true}) {
    SCOPED_TRACE(announced);
    TestServer server(Reply("HTTP/1.0 200 OK\r\n" + (announced ? "Content-Length: 100000\r\n" : std::string()) +
                            "\r\n" + body));
    EXPECT_EQ(OV_WebRequest(2, server.Url("/big").c_str(), nullptr, nullptr, 0, &response, nullptr), 200);
    ASSERT_NE(response, nullptr);
    EXPECT_TRUE(Body(response) == body);
    EXPECT_EQ(response->capacity, 100000);
    OVI_FreeBuffer(response);
    response = nullptr;
  }
}

TEST_F(Http, ScriptedResponses) {
  struct Case {
    const char* response;
    int result;
    const char* body;  // null: not compared
  } cases[] = {
      {"HTTP/1.0 200 OK\r\n\r\nhi", 200, "hi"},
      {"HTTP/1.1 200 OK\r\ncontent-length: 3\r\n\r\nabc", 200, "abc"},
      {"HTTP/1.0 200 OK\nContent-Length: 2\n\nok", 200, "ok"},
      {"HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", 404, "gone"},
      {"HTTP/1.0 302 Found\r\nContent-Length: 3\r\n\r\nabc", 302, "abc"},
      {"garbage\r\n\r\nxy", 0, "xy"},
      {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc", -8, "abc"},
      {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabcdef", -8, nullptr},
      {"HTTP/1.0 200 OK\r\nContent-", -9, ""},
      {"", -9, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.response);
    TestServer server(Reply(c.response));
    EXPECT_EQ(OV_WebRequest(2, server.Url("/").c_str(), nullptr, nullptr, 0, &response, nullptr), c.result);
    ASSERT_NE(response, nullptr);
    if (c.body) {
      EXPECT_EQ(Body(response), c.body);
    }
    OVI_FreeBuffer(response);
    response = nullptr;
  }
}

TEST_F(Http, HeaderBufferAndCallerHeaders) {
  const std::string answer = "HTTP/1.0 201 Created\r\nContent-Type: text/plain\r\nContent-Length: 4\r\n\r\n";
  TestServer server(Reply(answer + "done"));
  const std::string headers = "X-Test: 1\r\nContent-Length: 2\r\n\r\n";
  int result = OV_WebRequestWithHeaders(4, server.Url("/put").c_str(), headers.c_str(),
                                        static_cast<int>(headers.size()), "zz", 2, &header, &response, nullptr);
  EXPECT_EQ(result, 201);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "PUT /put HTTP/1.0\r\n" + headers + "zz");
  ASSERT_NE(header, nullptr);
  ASSERT_EQ(header->size, static_cast<int>(answer.size()) + 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(header->data)), answer);
  EXPECT_EQ(Body(response), "done");
  EXPECT_EQ(response->capacity, 4);
}

TEST_F(Http, ForwardToAnotherHostRewritesTheHost) {
  TestServer target(Reply("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nmoved"));
  TestServer origin(Reply("HTTP/1.0 302 Found\r\nLocation: " + target.Url("/next") + "\r\n\r\n"));

  EXPECT_EQ(OV_WebRequest(2, origin.Url("/first").c_str(), nullptr, nullptr, 0, &response, nullptr), 200);
  EXPECT_EQ(Body(response), "moved");
  ASSERT_EQ(target.Requests().size(), 1u);
  EXPECT_EQ(target.Requests()[0],
            "GET /next HTTP/1.0\r\n" + StandardHeaders(target.HostPart(), 0, "application/octet-stream"));

  const std::string headers = "Host: " + origin.HostPart() + "\r\nX-Origin: " + origin.HostPart() + "\r\n\r\n";
  EXPECT_EQ(OV_WebRequestWithHeaders(2, origin.Url("/first").c_str(), headers.c_str(), -1, nullptr, 0, &header,
                                     nullptr, nullptr),
            200);
  ASSERT_EQ(target.Requests().size(), 2u);
  EXPECT_EQ(target.Requests()[1], "GET /next HTTP/1.0\r\nHost: " + target.HostPart() + "\r\nX-Origin: " +
                                      target.HostPart() + "\r\n\r\n");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(header->data)), "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n");
}

TEST_F(Http, ForwardsAreBounded) {
  TestServer server([](TestServer& self, RawSocket client, int) {
    TestServer::Send(client, "HTTP/1.0 301 Moved\r\nLocation: " + self.Url("/again") + "\r\nContent-Length: 4\r\n\r\nloop");
  });
  EXPECT_EQ(OV_WebRequest(2, server.Url("/start").c_str(), nullptr, nullptr, 0, &response, nullptr), 301);
  EXPECT_EQ(server.Requests().size(), static_cast<size_t>(HTTP_MAX_FORWARDS + 1));
  EXPECT_EQ(Body(response), "loop");
}

TEST_F(Http, FailuresBeforeAnyAnswer) {
  int closed_port = 0;
  RawSocket unused = BindLocal(&closed_port, false);
  ASSERT_NE(unused, kNoSocket);
  CloseRaw(unused);
  const std::string closed = "http://127.0.0.1:" + std::to_string(closed_port) + "/";
  struct Case {
    int kind;
    std::string url;
    int result;
  } cases[] = {
      {2, "https://127.0.0.1/", -1},
      {2, "ftp://127.0.0.1/", -1},
      {2, "http://127.0.0.1/a\r\nX-Injected: 1", -1},
      {0, closed, -7},
      {6, closed, -7},
      {2, "http://nohost.invalid/", -5},
      {2, closed, -6},
      {2, "http://127.0.0.1:99999/", -6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(OV_WebRequest(c.kind, c.url.c_str(), nullptr, nullptr, 0, &response, nullptr), c.result);
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->size, 0);
    OVI_FreeBuffer(response);
    response = nullptr;
  }
  EXPECT_EQ(OV_WebRequestWithHeaders(2, "https://x/", "\r\n", 2, nullptr, 0, &header, &response, nullptr), -1);
  EXPECT_NE(header, nullptr);
  EXPECT_NE(response, nullptr);
}

TEST_F(Http, CancelFlagAndQuitFlag) {
  struct Case {
    bool quit;    // the engine's quit flag rather than the cancel flag
    bool before;  // set before the request starts, else by the server while the client waits
  } cases[] = {{false, true}, {true, true}, {false, false}, {true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.quit ? "quit" : "cancel") + (c.before ? " before" : " while waiting"));
    volatile int cancel = 0;
    TestServer server([&](TestServer&, RawSocket client, int) {
      if (c.quit)
        __atomic_store_n(&core.quit_requested, true, __ATOMIC_RELAXED);
      else
        __atomic_store_n(&cancel, 1, __ATOMIC_RELAXED);
      TestServer::WaitForClose(client);
    });
    if (c.before) {
      if (c.quit)
        core.quit_requested = true;
      else
        cancel = 1;
    }
    EXPECT_EQ(OV_WebRequest(2, server.Url("/").c_str(), nullptr, nullptr, 0, &response, &cancel), -4);
    EXPECT_EQ(server.Requests().size(), c.before ? 0u : 1u);
    __atomic_store_n(&core.quit_requested, false, __ATOMIC_RELAXED);
    OVI_FreeBuffer(response);
    response = nullptr;
  }
}

TEST_F(Http, SilentServer) {
  OVI_SetHttpTimeouts(0, 500);
  struct Case {
    const char* sent;  // before the server goes silent without closing
    int result;
    const char* body;
  } cases[] = {
      {"", -6, ""},
      {"HTTP/1.0 200 OK\r\n", -6, ""},
      {"HTTP/1.0 200 OK\r\n\r\npart", -6, "part"},
      {"HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nfull", 200, "full"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    std::string sent = c.sent;
    TestServer server([sent](TestServer&, RawSocket client, int) {
      TestServer::Send(client, sent);
      TestServer::WaitForClose(client);
    });
    EXPECT_EQ(OV_WebRequest(2, server.Url("/").c_str(), nullptr, nullptr, 0, &response, nullptr), c.result);
    EXPECT_EQ(Body(response), c.body);
    OVI_FreeBuffer(response);
    response = nullptr;
  }
}

// The response head reader on bytes in memory.
TEST(HttpHeadReader, StatusFieldsAndEnd) {
  struct Case {
    const char* what;
    std::string bytes;
    int result;  // the head's length, HTTP_HEAD_INCOMPLETE or HTTP_HEAD_TOO_LONG
    int status;
    bool has_length;
    int content_length;
    const char* location;  // null: no Location field
  } cases[] = {
      {"status and length", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello", 38, 200, true, 5, nullptr},
      {"fields in any case", "HTTP/1.1 302 Found\r\ncontent-LENGTH:\t 12 \r\nLOCATION:  http://h/next \r\n\r\n", 71,
       302, true, 12, "http://h/next"},
      {"bare line feeds", "HTTP/1.0 404 Not Found\nLocation:x\n\nbody", 35, 404, false, 0, "x"},
      {"missing length", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n", 45, 200, false, 0, nullptr},
      {"length that is no number", "HTTP/1.0 200 OK\r\nContent-Length: x5\r\n\r\n", 39, 200, false, 0, nullptr},
      {"length past 2 GB", "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\n", 48, 200, true, 0x7fffffff,
       nullptr},
      {"a field name is matched whole", "HTTP/1.0 200 OK\r\nContent-Lengthy: 3\r\nX-Location: y\r\n\r\n", 54,
       200, false, 0, nullptr},
      {"no status line", "garbage\r\nContent-Length: 2\r\n\r\nxy", 30, 0, true, 2, nullptr},
      {"no space after the version", "HTTP/1.0200 OK\r\n\r\n", 18, 0, false, 0, nullptr},
      {"no digits", "HTTP/1.0 OK\r\n\r\n", 15, 0, false, 0, nullptr},
      {"empty head", "\r\nrest", 2, 0, false, 0, nullptr},
      {"end line of CRs", "HTTP/1.0 204 No Content\r\n\r\r\n", 28, 204, false, 0, nullptr},
      {"not ended", "HTTP/1.0 200 OK\r\nContent-", HTTP_HEAD_INCOMPLETE, 0, false, 0, nullptr},
      {"nothing", "", HTTP_HEAD_INCOMPLETE, 0, false, 0, nullptr},
      {"largest head", "HTTP/1.0 200 OK\r\nX: " + std::string(HTTP_MAX_HEADER_BYTES - 24, 'a') + "\r\n\r\n",
       HTTP_MAX_HEADER_BYTES, 200, false, 0, nullptr},
      {"a byte too long", "HTTP/1.0 200 OK\r\nX: " + std::string(HTTP_MAX_HEADER_BYTES - 23, 'a') + "\r\n\r\n",
       HTTP_HEAD_TOO_LONG, 0, false, 0, nullptr},
      {"at the bound, not ended", std::string(HTTP_MAX_HEADER_BYTES, 'a'), HTTP_HEAD_INCOMPLETE, 0, false, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HttpHead head;
    EXPECT_EQ(OVI_ParseHttpHead(c.bytes.data(), c.bytes.size(), &head), c.result);
    if (c.result <= 0) continue;
    EXPECT_EQ(head.status, c.status);
    EXPECT_EQ(head.has_length, c.has_length);
    EXPECT_EQ(head.content_length, c.content_length);
    EXPECT_EQ(head.has_location, c.location != nullptr);
    EXPECT_EQ(head.location, c.location ? c.location : "");

    // Read as it arrives, a byte at a time: the same head.
    HttpHead pieces;
    int result = HTTP_HEAD_INCOMPLETE;
    for (size_t size = 0; size <= c.bytes.size() && result == HTTP_HEAD_INCOMPLETE; ++size)
      result = OVI_ParseHttpHead(c.bytes.data(), size, &pieces);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(pieces.status, c.status);
    EXPECT_EQ(pieces.content_length, c.content_length);
    EXPECT_EQ(pieces.location, head.location);
  }
}

TEST_F(Http, HeadLongerThanTheBoundClosesTheConnection) {
  TestServer server(Reply("HTTP/1.0 200 OK\r\nX: " + std::string(HTTP_MAX_HEADER_BYTES, 'a') + "\r\n\r\nbody"));
  EXPECT_EQ(OV_WebRequest(2, server.Url("/").c_str(), nullptr, nullptr, 0, &response, nullptr), -9);
}


std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  OVOS_ListFolder(
      folder.c_str(),
      [](const char* name, bool is_folder, void* raw) {
        if (!is_folder) static_cast<std::vector<std::string>*>(raw)->push_back(name);
      },
      &files);
  return files;
}


// http:// files through the engine's file API, downloaded by the client into a fresh cache://.
class HttpFiles : public FileSystemFixture {};

TEST_F(HttpFiles, DownloadedOnceIntoTheCacheAndIncompleteDownloadsAreNotKept) {
  const std::string image("PNG\0\x01\xff image bytes", 18);
  // File names hold no port, so the server listens on the default one.
  TestServer server(
      [image](TestServer& self, RawSocket client, int) {
        const std::string request = self.Requests().back();
        if (request.compare(0, 18, "GET /pics/a.png HT") == 0)
          TestServer::Send(client, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(image.size()) + "\r\n\r\n" + image);
        else if (request.compare(0, 22, "GET /pics/short.png HT") == 0)
          TestServer::Send(client, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly a part");
        else
          TestServer::Send(client, "HTTP/1.0 404 Not Found\r\n\r\n");
      },
      80);
  if (!server.listening()) GTEST_SKIP() << "127.0.0.1:80 cannot be listened on";

  const std::string url = "http://127.0.0.1/pics/a.png";
  EXPECT_EQ(Read(url), image);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].compare(0, 28, "GET /pics/a.png HTTP/1.0\r\nAc"), 0) << server.Requests()[0];
  EXPECT_EQ(FilesIn(root + "/cache"), std::vector<std::string>{"http___127.0.0.1_pics_a.png"});
  EXPECT_EQ(Read("cache://http___127.0.0.1_pics_a.png"), image);

  EXPECT_EQ(Read(url), image);  // from the cache: no request reaches the server
  EXPECT_EQ(server.Requests().size(), 1u);

  EXPECT_EQ(Read("http://127.0.0.1/pics/short.png"), "(none)");
  EXPECT_EQ(Read("http://127.0.0.1/pics/missing.png"), "(none)");
  EXPECT_EQ(server.Requests().size(), 3u);
  EXPECT_EQ(FilesIn(root + "/cache"), std::vector<std::string>{"http___127.0.0.1_pics_a.png"});
}

}  // namespace
