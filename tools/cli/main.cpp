// tracelink-cli: the trace-file side of tracelink for batch work and scripts.
#include <iostream>
#include <string>
#include <vector>

#include "cli_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return tracelink::cli::runCli(args, std::cout, std::cerr);
}
