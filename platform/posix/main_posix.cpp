// Process entry of the native headless runtime: loads prog.so from beside the executable.
#include <string>

#include "core/lifecycle.h"

int main(int argc, char** argv) {
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line += ' ';
    command_line += argv[i];
  }
  return OVI_Main(command_line.c_str());
}
