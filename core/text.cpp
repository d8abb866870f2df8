#include "core/text.h"

#include <stdlib.h>
#include <string.h>

char* OVI_DuplicateText(const char* text) {
  size_t length = text ? strlen(text) : 0;
  char* copy = static_cast<char*>(malloc(length + 1));
  if (!copy) return nullptr;
  if (length) memcpy(copy, text, length);
  copy[length] = 0;
  return copy;
}
