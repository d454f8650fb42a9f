#include "app/messages.h"

#include <array>

#include "build_info.h"

namespace msg {

const std::string_view kUsage[] = {
    "Usage: tarnwick [options] inputpath [outputpath]",
    "",
    "DISPLAY OPTIONS",
    "-h    : display this help message",
    "-l    : display font list (no conversion)",
    "-L    : display font list (extended format)",
    "-pp   : display list of written file paths",
    "-s    : no display (silent mode)",
    "",
    "CONVERSION OPTIONS",
    "-p <path>",
    "      : output folder",
    "-fo   : force overwrite",
    "-ttx  : convert binary OpenType Layout data using TTX-like format",
    "",
    "UFO OUTPUT OPTIONS",
    "-64   : write GLIF lib 'data' section using base64 (recommended)",
    "-z    : write UFOZ (compressed UFO)",
};
const std::size_t kUsageLineCount = std::size(kUsage);

std::string bannerDescription() {
  return std::string("QTF <-> UFO 2 font converter, version ") + TARNWICK_VERSION;
}

std::string bannerBuildLine() { return "Build " + isoDate(TARNWICK_BUILD_DATE) + " "; }

std::string isoDate(std::string_view buildDate) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // "Mon DD YYYY": month name, day, year.
  if (buildDate.size() != 11 || buildDate[3] != ' ' || buildDate[6] != ' ')
    return std::string(buildDate);
  for (std::size_t month = 0; month < kMonths.size(); ++month) {
    if (buildDate.substr(0, 3) != kMonths[month]) continue;
    std::string day(buildDate.substr(4, 2));
    if (day[0] == ' ') day[0] = '0';
    const char monthText[3] = {static_cast<char>('0' + (month + 1) / 10),
                               static_cast<char>('0' + (month + 1) % 10), '\0'};
    return std::string(buildDate.substr(7, 4)) + "-" + monthText + "-" + day;
  }
  return std::string(buildDate);
}

std::string unknownOption(const std::string& option) {
  return "Option \"-" + option + "\" is unknown.";
}
std::string missingValue(const std::string& option) {
  return "Option \"-" + option + "\" requires a value.";
}
std::string sourceNotAccessible(const std::string& displayName) {
  return "Source font file \"" + displayName + "\" is not accessible.";
}
std::string destinationNotAccessible(const std::string& folder) {
  return "Destination folder \"" + folder + "\" is not accessible";
}
std::string outputExists(const std::string& path) {
  return "Output file \"" + path + "\" exists, cannot overwrite.";
}
std::string layoutWarning(const std::string& line) { return "Warning: layout: " + line; }
std::string warning(const std::string& line) { return "Warning: " + line; }
std::string outputIsFolder(const std::string& path) {
  return "Output file \"" + path + "\" is a folder, cannot overwrite.";
}
std::string outputNotRegularFile(const std::string& path) {
  return "Output file \"" + path + "\" is not a regular file, cannot overwrite.";
}
std::string notNativeFile(const std::string& inputPath) {
  return "Input file \"" + inputPath + "\" cannot be opened as QTF file.";
}
std::string noFonts(const std::string& displayName) {
  return "Source font file \"" + displayName + "\" does not contain any fonts.";
}
std::string masterUnreadable(int index, int count, const std::string& name, const std::string& displayName,
                             const std::string& place) {
  return "Master " + std::to_string(index) + " of " + std::to_string(count) + " (\"" + name +
         "\") in source font file \"" + displayName + "\" cannot be read: " + place + ".";
}
std::string processingFont(const std::string& fullName) { return "Processing font: " + fullName; }
std::string cannotCreateUfoFolder(const std::string& path) {
  return "Cannot create output UFO folder \"" + path + "\"";
}
std::string cannotExportFont(const std::string& path) {
  return "Font cannot be exported to file \"" + path + "\"";
}
std::string cannotWriteNative(const std::string& path) {
  return "Cannot write QTF font file \"" + path + "\".";
}
std::string unexpectedFailure(const std::string& what) {
  return "The conversion stopped on an unexpected error: " + what;
}
std::string ufoReadProblem(const std::string& name) {
  return "While opening UFO font folder \"" + name + "\" we've got a problem.";
}
std::string nativeWriteException(const std::string& path) {
  return "While generating QTF font file \"" + path + "\" we've got an exception.";
}

}  // namespace msg
