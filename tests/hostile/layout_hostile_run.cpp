#include "layout_hostile_run.h"
#include "sanitized_build.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace layout_hostile {

namespace {

using hostile::kSanitized;

const char* kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n";

std::string plist(const std::string& body) { return std::string(kPlistHead) + body + "</plist>\n"; }

}  // namespace

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string repeat(const std::string& text, size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

RunResult run(const std::vector<std::string>& arguments, const fs::path& scratch, const RunSetting& setting) {
  const fs::path log = scratch / "run.log";
  const fs::path peak = scratch / "run.peak";
  std::vector<std::string> command{"/usr/bin/time", "-f", "%M", "-o", peak.string(),
                                   "/usr/bin/timeout", "-s", "KILL", std::to_string(setting.wallSeconds)};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    const int file = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (file < 0) ::_exit(125);
    ::dup2(file, 1);
    ::dup2(file, 2);
    if (!kSanitized) {
      const rlimit address{setting.addressLimit, setting.addressLimit};
      ::setrlimit(RLIMIT_AS, &address);
    }
    if (setting.fileSizeLimit != RLIM_INFINITY) {
      const rlimit size{setting.fileSizeLimit, setting.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &size);
    }
    if (!setting.folder.empty() && ::chdir(setting.folder.c_str()) != 0) ::_exit(125);
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(126);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  RunResult result;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  // time reports a signal of its child as "Command terminated by signal N" and exits 128+N;
  // timeout passes the program's signal on the same way and exits 137 when it kills.
  // The program's own failure codes (252 to 255) lie above every 128+N of a signal.
  if (result.exitCode > 128 && result.exitCode < 128 + 32) result.signal = result.exitCode - 128;
  result.output = readAll(log);
  const std::string peakText = readAll(peak);
  const size_t lastLine = peakText.find_last_of("0123456789");
  if (lastLine != std::string::npos) {
    const size_t first = peakText.find_last_not_of("0123456789", lastLine);
    result.peakKilobytes = std::atol(peakText.c_str() + (first == std::string::npos ? 0 : first + 1));
  }
  return result;
}

std::string describe(const RunResult& run) {
  return "exit " + std::to_string(run.exitCode) + ", peak " + std::to_string(run.peakKilobytes / 1024) + " MB, " +
         std::to_string(run.seconds) + " s, output: " + run.output.substr(0, 600);
}

void expectInOrder(const RunResult& result, int expected, const std::string& what) {
  SCOPED_TRACE(what + ": " + describe(result));
  EXPECT_EQ(result.signal, 0) << "crashed or was killed at the time bound";
  EXPECT_LE(result.peakKilobytes, kPeakKilobytes);
  if (expected == kEither) {
    EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1);
  } else {
    EXPECT_EQ(result.exitCode, expected);
  }
  if (result.exitCode != 0) {
    EXPECT_NE(result.output.find_first_not_of(" \r\n"), std::string::npos) << "no message";
  }
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "tarnwick-layout-hostile-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void writeUfo(const fs::path& ufo) {
  writeFile(ufo / "metainfo.plist", plist("<dict><key>creator</key><string>org.test</string>"
                                          "<key>formatVersion</key><integer>2</integer></dict>"));
  writeFile(ufo / "fontinfo.plist", plist("<dict><key>familyName</key><string>Hostile</string>"
                                          "<key>styleName</key><string>Regular</string>"
                                          "<key>unitsPerEm</key><integer>1000</integer></dict>"));
  std::string contents = "<dict>";
  for (int i = 1; i <= 3; ++i) {
    const std::string name = "g" + std::to_string(i);
    contents += "<key>" + name + "</key><string>" + name + ".glif</string>";
    writeFile(ufo / "glyphs" / (name + ".glif"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"" + name +
                  "\" format=\"1\"><advance width=\"500\"/><unicode hex=\"006" + std::to_string(i) +
                  "\"/><outline><contour><point x=\"10\" y=\"0\" type=\"line\"/><point x=\"400\" y=\"0\" "
                  "type=\"line\"/><point x=\"200\" y=\"600\" type=\"line\"/></contour></outline></glyph>\n");
  }
  writeFile(ufo / "glyphs" / "contents.plist", plist(contents + "</dict>"));
}

}  // namespace layout_hostile
