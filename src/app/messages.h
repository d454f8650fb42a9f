// Every console text of the driver and its exit codes.
#pragma once

#include <string>
#include <string_view>

namespace msg {

// Exit codes of a run.
enum ExitCode {
  kSuccess = 0,
  kFailure = -1,             // bad command line, existing output, unreadable or empty native file
  kDestinationFailure = -2,  // the "-p" folder
  kConversionFailure = -3,   // missing input, a failed read or write
  kUfoReadFailure = -4,
  kFolderCreationFailure = 1,
};

inline constexpr std::string_view kPrompt =
    "Please, enter source filename: tarnwick [options] inputpath [outputpath]";
inline constexpr std::string_view kBannerTitle = "TARNWICK Converter";
inline constexpr std::string_view kNotQtfOrUfo = "Source file is not QTF or UFO.";
inline constexpr std::string_view kImportException =
    "While importing source font file we've got an exception.";
inline constexpr std::string_view kImported = "Source file was successfully imported.";

// The usage text printed by "-h" after the banner and an empty line.
extern const std::string_view kUsage[];
extern const std::size_t kUsageLineCount;

std::string bannerDescription();
// "Build YYYY-MM-DD " from the build system's date.
std::string bannerBuildLine();
// Turns the build system's "Mon DD YYYY" into "YYYY-MM-DD"; other texts are kept.
std::string isoDate(std::string_view buildDate);

std::string unknownOption(const std::string& option);
std::string missingValue(const std::string& option);
std::string sourceNotAccessible(const std::string& displayName);
std::string destinationNotAccessible(const std::string& folder);
std::string outputExists(const std::string& path);
// A line the layout reported, as a warning.
std::string layoutWarning(const std::string& line);
std::string warning(const std::string& line);
// A folder stands where the output file is to be written; it is left untouched.
std::string outputIsFolder(const std::string& path);
// A FIFO, socket or device stands where the output is to go; it is left untouched.
std::string outputNotRegularFile(const std::string& path);
std::string notNativeFile(const std::string& inputPath);
std::string noFonts(const std::string& displayName);
// `index` counts from 1; `name` is what the master's records gave before the failure;
// `place` is where in the file the read stopped.
std::string masterUnreadable(int index, int count, const std::string& name, const std::string& displayName,
                             const std::string& place);
std::string processingFont(const std::string& fullName);
std::string cannotCreateUfoFolder(const std::string& path);
std::string cannotExportFont(const std::string& path);
std::string cannotWriteNative(const std::string& path);
// On the error stream, for a failure no step expected.
std::string unexpectedFailure(const std::string& what);
// The next two are printed without a line end.
std::string ufoReadProblem(const std::string& name);
std::string nativeWriteException(const std::string& path);

}  // namespace msg
