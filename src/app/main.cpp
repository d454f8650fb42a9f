// tarnwick: converts a font between the native ".qtf" file and UFO 2.
#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/allocator_tuning.h"
#include "app/console.h"
#include "app/driver.h"
#include "app/messages.h"
#include "native/kerning_layout_routes.h"

int main(int argc, char** argv) {
  // A reader that stops reading the console (`tarnwick ... | head`) must not kill the run
  // between removing an old output and moving the new one into place.
  std::signal(SIGPIPE, SIG_IGN);
  // Past a file-size limit (ulimit -f) a write must fail, so that the half-written output
  // is removed, rather than end the process and leave it behind.
  std::signal(SIGXFSZ, SIG_IGN);
  vn::tuneAllocatorForOneRun();
  qtf::installLayoutKerningRoutes();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  Console console(std::cout, std::cerr);
  try {
    return runConverter(arguments, console);
  } catch (const std::exception& error) {
    console.error(msg::unexpectedFailure(error.what()));
  } catch (...) {
    console.error(msg::unexpectedFailure("unknown error"));
  }
  return msg::kConversionFailure;
}
