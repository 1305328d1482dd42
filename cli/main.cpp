#include <signal.h>

#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "sfconv.h"

namespace {

// Removes the temporary output file, then ends the program with the same
// signal (the handler was reset to the default on entry).
extern "C" void EndOnSignal(int signal_number) {
  sfc::RemoveUncommittedTemporaryFiles();
  ::raise(signal_number);
}

void EndOnSignalWithoutTemporaryFiles(int signal_number) {
  struct sigaction old {};
  if (::sigaction(signal_number, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = EndOnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  ::sigaction(signal_number, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe or a file size limit is a write error that sfconv reports,
  // not a silent end.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    EndOnSignalWithoutTemporaryFiles(signal_number);
  }
  std::ios::sync_with_stdio(false);
  int status = sfc::kExitFileError;
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    status = sfc::RunSfconv(args, std::cin, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    sfc::Report(std::cerr, "out of memory");
    return sfc::kExitFileError;
  } catch (...) {
    sfc::Report(std::cerr, "stopped by an unexpected error");
    return sfc::kExitFileError;
  }
  std::cout.flush();
  if (!std::cout && status != sfc::kExitFileError) {
    sfc::Report(std::cerr, "cannot write standard output");
    return sfc::kExitFileError;
  }
  return status;
}
