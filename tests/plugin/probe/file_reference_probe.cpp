// A process that has made no reference and followed none when it starts: it answers the
// requests of probe/file_reference_requests.h, one line each, from standard input to its end.
#include <iostream>
#include <string>

#include "tests/plugin/probe/file_reference_requests.h"

int main() {
  std::string request;
  while (std::getline(std::cin, request)) {
    std::cout << probe::Answer(request) << '\n' << std::flush;
  }
  return 0;
}
