// One run of the converter: reads the command line, converts one input and returns the
// exit code.
#pragma once

#include <string>
#include <vector>

#include "app/console.h"
#include "app/options.h"
#include "platform/files.h"
#include "platform/path_parts.h"

namespace vn {
class Font;
}

// What both conversion roads share.
struct RunContext {
  CommandLine line;
  Console& console;
  PathParts inputParts;     // the input as typed
  PathParts outParts;       // folder and name from which output paths are built
  std::string displayName;  // the input's file name, for the messages
  std::vector<std::string> writtenPaths;
  // The input, opened once at the start and checked on its descriptor; the native file
  // and the archive are read from it, never reopened by path.
  vn::InputFile source;

  // Prints the written paths with "-pp".
  void listWrittenPaths();
  // Prints what the font's layout reported (read, compiled, written) as warning lines.
  void printLayoutWarnings(vn::Font& font);
};

// `arguments` are those after the program name.
int runConverter(const std::vector<std::string>& arguments, Console& console);

// The two roads, chosen by the input's extension.
int convertNative(RunContext& run);
int convertUfo(RunContext& run);
