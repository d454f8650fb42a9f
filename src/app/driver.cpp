#include "app/driver.h"

#include "app/messages.h"
#include "layout/layout_fea.h"
#include "model/font.h"
#include "platform/file_system.h"

void RunContext::printLayoutWarnings(vn::Font& font) {
  vn::LayoutObject* layout = font.layout.layoutIfAny();
  if (!layout) return;
  for (const std::string& line : layout->takeWarnings()) console.line(msg::layoutWarning(line));
}

namespace {

void printBanner(Console& console, bool always) {
  const auto print = [&](std::string_view text) {
    always ? console.line(text) : console.progress(text);
  };
  print(msg::kBannerTitle);
  print(msg::bannerDescription());
  print(msg::bannerBuildLine());
}

// Opens the input without blocking (a FIFO opens at once) and tells what was opened, from
// the descriptor: a check by path could be outrun by a FIFO put in the file's place. A
// file that cannot be opened counts as absent; a folder that cannot be opened stays a
// folder, for its reader to report.
vn::PathKind openSource(vn::InputFile& source, const std::string& path) {
  if (source.open(path)) return source.kind();
  const vn::PathKind kind = vn::pathKind(path);
  return kind == vn::PathKind::kFile ? vn::PathKind::kAbsent : kind;
}

// Chooses the output folder and name: beside the input, in the "-p" folder, or as the
// output path says. 0 or the exit code of a failure.
int resolveOutput(RunContext& run, const std::string& absoluteInput) {
  CommandLine& line = run.line;
  run.outParts.split(absoluteInput);
  if (!line.outputPath.empty()) {
    run.outParts.split(vn::absolutePath(line.outputPath).value_or(line.outputPath));
    return msg::kSuccess;
  }
  if (line.outputFolder.empty()) return msg::kSuccess;
  if (auto resolved = vn::absolutePath(line.outputFolder)) line.outputFolder = *resolved;
  if (!vn::isDirectory(line.outputFolder)) vn::makeDirectory(line.outputFolder);
  if (!vn::isDirectory(line.outputFolder)) {
    run.console.line(msg::destinationNotAccessible(line.outputFolder));
    return msg::kDestinationFailure;
  }
  if (line.outputFolder.back() != '/') line.outputFolder.push_back('/');
  run.outParts.folder = line.outputFolder;
  return msg::kSuccess;
}

}  // namespace

void RunContext::listWrittenPaths() {
  if (!line.listPaths) return;
  for (const std::string& path : writtenPaths) console.line(path);
}

int runConverter(const std::vector<std::string>& arguments, Console& console) {
  if (arguments.empty()) {
    console.line(msg::kPrompt);
    return msg::kFailure;
  }
  CommandLineResult parsed = parseCommandLine(arguments);
  switch (parsed.status) {
    case CommandLineResult::kHelp:
      printBanner(console, true);
      console.line("");
      for (std::size_t i = 0; i < msg::kUsageLineCount; ++i) console.line(msg::kUsage[i]);
      return msg::kSuccess;
    case CommandLineResult::kUnknownOption:
      console.line(msg::unknownOption(parsed.offendingOption));
      return msg::kFailure;
    case CommandLineResult::kMissingValue:
      console.line(msg::missingValue(parsed.offendingOption));
      return msg::kFailure;
    case CommandLineResult::kOk:
      break;
  }

  // Feature text is compiled into the layout model from here on.
  otl::installLayoutFactory();

  RunContext run{parsed.line, console, {}, {}, {}, {}, {}};
  console.setSilent(run.line.silent);
  printBanner(console, false);

  // "Font.ufo/" names the folder Font.ufo.
  std::string& input = run.line.inputPath;
  input = vn::stripTrailingSeparators(input);
  const std::string absoluteInput = vn::absolutePath(input).value_or(input);
  run.displayName = PathParts(absoluteInput).prefixed("");

  // A FIFO, socket or device is not accessible as a font: it is refused as soon as the
  // open (which never blocks) shows what it is.
  const vn::PathKind kind = openSource(run.source, input);
  if (kind != vn::PathKind::kFile && kind != vn::PathKind::kFolder) {
    console.line(msg::sourceNotAccessible(run.displayName));
    return msg::kConversionFailure;
  }
  if (const int code = resolveOutput(run, absoluteInput); code != msg::kSuccess) return code;

  run.inputParts.split(input);
  if (run.inputParts.hasExtension(".qtf", ".qtf")) return convertNative(run);
  if (run.inputParts.hasExtension(".ufoz", ".ufo")) return convertUfo(run);
  console.line(msg::kNotQtfOrUfo);
  return msg::kFailure;
}
