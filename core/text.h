// Text helpers. They accept null as the empty text.
#pragma once

#include <stddef.h>

// A heap copy (free with free()); null is duplicated as an empty string.
char* OVI_DuplicateText(const char* text);
