// Never finishes.
#include <windows.h>

int main() {
  for (;;) Sleep(1000);
}
