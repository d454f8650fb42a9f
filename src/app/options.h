// The command line: options and the two positional paths.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
  std::string inputPath;
  std::string outputPath;
  std::string outputFolder;  // "-p"
  bool silent = false;          // "-s"
  bool forceOverwrite = false;  // "-fo"
  bool help = false;            // "-h"
  bool listPaths = false;       // "-pp"
  bool base64 = false;          // "-64"
  bool ttx = false;             // "-ttx"
  bool zipped = false;          // "-z"
  bool listFonts = false;       // "-l"
  bool listFontsLong = false;   // "-L"
};

struct CommandLineResult {
  enum Status { kOk, kHelp, kUnknownOption, kMissingValue };
  Status status = kOk;
  CommandLine line;
  std::string offendingOption;  // the option text after the dash, for the messages
};

// Reads the arguments after the program name, left to right. "-h" stops reading at once.
CommandLineResult parseCommandLine(const std::vector<std::string>& arguments);
