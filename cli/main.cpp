#ifdef _WIN32
#include <io.h>
#define TESSARO_STDERR_IS_TERMINAL() (_isatty(_fileno(stderr)) != 0)
#else
#include <unistd.h>
#define TESSARO_STDERR_IS_TERMINAL() (::isatty(STDERR_FILENO) != 0)
#endif

#include <cstdio>
#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
  return tessaro::cli::RunCli(argc, argv, std::cout, std::cerr, TESSARO_STDERR_IS_TERMINAL());
}
