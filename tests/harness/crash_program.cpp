// Writes through a null pointer (computed at run time, so the compiler emits a real store).
#include <stdint.h>
#include <stdio.h>

int main(int argc, char**) {
  fprintf(stderr, "crash_program: writing through a null pointer\n");
  volatile int* nowhere = reinterpret_cast<int*>(static_cast<uintptr_t>(argc - 1));
  *nowhere = 1;
  return 0;
}
