#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "platform/utf16.h"

// Arguments arrive as UTF-16, so a path in any script survives; the console shows UTF-8.
int wmain(int argc, wchar_t** argv) {
  ::SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(tessaro::platform::NarrowToUtf8(argv[i]));
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  return tessaro::cli::RunCli(argc, pointers.data(), std::cout, std::cerr,
                              _isatty(_fileno(stderr)) != 0);
}

#else
#include <unistd.h>

int main(int argc, char** argv) {
  return tessaro::cli::RunCli(argc, argv, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
#endif
