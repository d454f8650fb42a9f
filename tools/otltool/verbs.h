// The verbs of otltool. Each takes its arguments after the verb name and returns the exit
// code; a rejected input is thrown as otltool::ToolError.
#pragma once

#include <string>
#include <vector>

namespace otltool {

using Arguments = std::vector<std::string>;

struct Verb {
  const char* name;
  const char* arguments;  // shown in the usage text
  int (*run)(const Arguments& arguments);
};

// The verbs built so far, in the order the usage text lists them.
const std::vector<Verb>& verbs();

}  // namespace otltool
