#include "app/options.h"

CommandLineResult parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLineResult result;
  CommandLine& line = result.line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.empty() || argument.front() != '-') {
      (line.inputPath.empty() ? line.inputPath : line.outputPath) = argument;
      continue;
    }
    if (argument.compare(0, 2, "--") == 0) continue;
    const std::string option = argument.substr(1);
    if (option == "p") {
      if (i + 1 == arguments.size()) {
        result.status = CommandLineResult::kMissingValue;
        result.offendingOption = option;
        return result;
      }
      line.outputFolder = arguments[++i];
    } else if (option == "fo") {
      line.forceOverwrite = true;
    } else if (option == "h") {
      line.help = true;
      result.status = CommandLineResult::kHelp;
      return result;
    } else if (option == "s") {
      line.silent = true;
    } else if (option == "pp") {
      line.listPaths = true;
    } else if (option == "64") {
      line.base64 = true;
    } else if (option == "ttx") {
      line.ttx = true;
    } else if (option == "z") {
      line.zipped = true;
    } else if (option == "l") {
      line.listFonts = true;
    } else if (option == "L") {
      line.listFontsLong = true;
    } else {
      result.status = CommandLineResult::kUnknownOption;
      result.offendingOption = option;
      return result;
    }
  }
  return result;
}
