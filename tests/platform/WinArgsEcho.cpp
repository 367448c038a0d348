// The child of the Windows platform tests (WinPlatformTest.cpp): prints its arguments as UTF-8,
// each ended by a NUL byte, then "\n"-separated lines whose bytes must reach the parent as they
// are; with --cat it copies its input to its output; with --terminal it says whether its output
// is a console.
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/System.h"

int main(int argc, char** argv) {
  const std::vector<std::string> words = platform::ProgramArguments(argc, argv);
  if (words.size() == 1 && words[0] == "--terminal") {
    std::cout << (platform::IsTerminal(1) ? "console" : "not a console") << std::flush;
    return 0;
  }
  if (words.size() == 1 && words[0] == "--cat") {
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
      std::fputs(buffer, stdout);
      std::fflush(stdout);
    }
    return 0;
  }
  for (const std::string& w : words) std::cout << w << '\0';
  std::cout << "one\ntwo\n" << std::flush;
  return 3;
}
