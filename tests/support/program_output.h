#pragma once

#include <string>

namespace testsupport {

// Runs `command` through the shell and returns what it printed on the standard output
// (the standard error is discarded).
std::string programOutput(const std::string& command);

}  // namespace testsupport
