// tracelink-cli: the trace-file side of tracelink for batch work and scripts.
#include <iostream>
#include <string>
#include <vector>

#include "cli_run.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <filesystem>

#include "files/path_text.h"
#endif

namespace {

// The arguments as UTF-8, as every path and text inside the program is. Windows hands
// main() its arguments in the ANSI code page, which loses every letter outside it (a
// Chinese file name on an English system); the wide command line holds them all.
std::vector<std::string> utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
      args.push_back(tracelink::pathText(std::filesystem::path(wide[i])));
    ::LocalFree(wide);
    return args;
  }
#endif
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Everything printed is UTF-8; a Windows console shows it so only when told.
  ::SetConsoleOutputCP(CP_UTF8);
#endif
  const std::vector<std::string> args = utf8Arguments(argc, argv);
  return tracelink::cli::runCli(args, std::cout, std::cerr);
}
