// Fuzzes the HTTP response head reader: whatever the bytes, it must stay inside them, keep to the
// head bound, and read the same head whether the bytes arrive at once or in pieces.
#include <stdint.h>
#include <string.h>

#include <string>

#include "platform/http_client.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void Run(const char* data, size_t size, size_t step) {
  HttpHead whole;
  int result = OVI_ParseHttpHead(data, size, &whole);
  Check(result >= HTTP_HEAD_TOO_LONG && result <= HTTP_MAX_HEADER_BYTES);
  Check(result <= 0 || static_cast<size_t>(result) <= size);
  Check(result != HTTP_HEAD_TOO_LONG || size > static_cast<size_t>(HTTP_MAX_HEADER_BYTES));
  Check(result != HTTP_HEAD_INCOMPLETE || size <= static_cast<size_t>(HTTP_MAX_HEADER_BYTES));
  if (result > 0) {
    Check(data[result - 1] == '\n');
    Check(whole.status >= 0 && whole.status <= 999999);
    Check(whole.content_length >= 0);
    Check(whole.has_length || whole.content_length == 0);
    Check(whole.location.size() < static_cast<size_t>(result));
    // The head alone reads the same.
    HttpHead alone;
    Check(OVI_ParseHttpHead(data, static_cast<size_t>(result), &alone) == result);
    Check(alone.status == whole.status && alone.location == whole.location);
  }

  // The same bytes as they might arrive from a socket.
  HttpHead pieces;
  int piece_result = HTTP_HEAD_INCOMPLETE;
  for (size_t received = 0; piece_result == HTTP_HEAD_INCOMPLETE;) {
    received = received + step < size ? received + step : size;
    piece_result = OVI_ParseHttpHead(data, received, &pieces);
    if (received == size) break;
  }
  Check(piece_result == result);
  if (result > 0) {
    Check(pieces.status == whole.status);
    Check(pieces.has_length == whole.has_length && pieces.content_length == whole.content_length);
    Check(pieces.has_location == whole.has_location && pieces.location == whole.location);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    Run("", 0, 1);
    return 0;
  }
  // The first byte chooses how the rest arrives; with its top bit set the rest is repeated past
  // the head bound.
  size_t step = (data[0] & 0x7f) + 1;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 0x80) && !bytes.empty()) {
    std::string repeated;
    while (repeated.size() <= static_cast<size_t>(HTTP_MAX_HEADER_BYTES) + 16) repeated += bytes;
    bytes.swap(repeated);
    step *= 512;
  }
  // A copy of exactly the given size, so that reading past it is caught.
  char* copy = new char[bytes.size() ? bytes.size() : 1];
  memcpy(copy, bytes.data(), bytes.size());
  Run(copy, bytes.size(), step);
  delete[] copy;
  return 0;
}
