#include "hostile_run.h"
#include "sanitized_build.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace hostile {

namespace {

constexpr long kPeakKilobytes = 512 * 1024;
constexpr long kSanitizedPeakKilobytes = 4 * kPeakKilobytes;
constexpr rlim_t kAddressLimit = rlim_t{2} << 30;  // far above any sound run on these inputs
constexpr rlim_t kCpuSeconds = 60;                  // an endless loop ends here

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

static long peakLimitKilobytes() { return kSanitized ? kSanitizedPeakKilobytes : kPeakKilobytes; }

Snapshot snapshot(const fs::path& folder) {
  Snapshot entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::end(it);
       it.increment(error)) {
    const std::string relative = fs::relative(it->path(), folder).generic_string();
    entries[relative] = it->is_directory() && !it->is_symlink()
                            ? -1
                            : static_cast<std::int64_t>(it->is_regular_file() ? it->file_size() : 0);
  }
  return entries;
}

Scratch::Scratch() {
  std::string pattern = (fs::temp_directory_path() / "tarnwick-hostile-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
  base_ = pattern;
  root_ = base_ / "work";
  fs::create_directories(in());
  fs::create_directories(out());
}

Scratch::~Scratch() {
  std::error_code ignored;
  fs::remove_all(base_, ignored);
}

void Scratch::write(const fs::path& relative, const std::string& bytes) const {
  const fs::path path = in() / relative;
  fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}


// The peak memory of a forked child counts the parent's pages it shares until exec, so
// the program runs under /usr/bin/time, a small process of its own, which reports the
// program's peak alone (and the signal that ended it).
constexpr const char* kTimeProgram = "/usr/bin/time";
constexpr const char* kSignalNote = "Command terminated by signal ";

static RunResult run(const std::vector<std::string>& arguments, const fs::path& folder) {
  const fs::path log = folder.parent_path() / "run.log";
  const fs::path peak = folder.parent_path() / "run.peak";
  const bool timed = ::access(kTimeProgram, X_OK) == 0;
  std::vector<std::string> command;
  if (timed) command = {kTimeProgram, "-f", "%M", "-o", peak.string()};
  command.insert(command.end(), arguments.begin(), arguments.end());

  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int file = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (file < 0 || ::chdir(folder.c_str()) != 0) ::_exit(125);
    ::dup2(file, 1);
    ::dup2(file, 2);
    if (!kSanitized) {
      const rlimit address{kAddressLimit, kAddressLimit};
      ::setrlimit(RLIMIT_AS, &address);
    }
    const rlimit cpu{kCpuSeconds, kCpuSeconds};
    ::setrlimit(RLIMIT_CPU, &cpu);
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(126);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("wait failed");
  }
  RunResult result;
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.peakKilobytes = usage.ru_maxrss;
  result.output = readAll(log);
  if (timed) {
    std::istringstream report(readAll(peak));
    for (std::string line; std::getline(report, line);) {
      if (line.rfind(kSignalNote, 0) == 0) {
        result.signal = std::atoi(line.c_str() + std::char_traits<char>::length(kSignalNote));
      } else if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
        result.peakKilobytes = std::atol(line.c_str());
      }
    }
  }
  if (std::getenv("HOSTILE_VERBOSE") != nullptr) std::fprintf(stderr, "%s", describe(result).c_str());
  std::error_code ignored;
  fs::remove(log, ignored);
  fs::remove(peak, ignored);
  return result;
}

std::string describe(const RunResult& result) {
  std::ostringstream text;
  text << "exit " << result.exitCode;
  if (result.signal != 0) text << ", signal " << result.signal;
  text << ", peak " << result.peakKilobytes / 1024 << " MB, output:\n";
  std::istringstream lines(result.output);
  std::string line;
  for (int shown = 0; shown < 12 && std::getline(lines, line); ++shown) text << "  " << line << "\n";
  return text.str();
}

static ::testing::AssertionResult endedInOrder(const Scratch& scratch, const Snapshot& before,
                                        const RunResult& result,
                                        const std::vector<std::string>& outputs) {
  if (result.signal != 0) return ::testing::AssertionFailure() << "the program crashed: " << describe(result);
  if (result.exitCode == 126 || result.exitCode == 125)
    return ::testing::AssertionFailure() << "the program could not be started";
  if (result.peakKilobytes > peakLimitKilobytes())
    return ::testing::AssertionFailure() << "unbounded memory: " << describe(result);

  const std::string outPrefix = fs::relative(scratch.out(), scratch.root()).generic_string() + "/";
  auto outsideOut = [&](const Snapshot& entries) {
    Snapshot kept;
    for (const auto& [path, size] : entries)
      if (path.rfind(outPrefix, 0) != 0) kept.emplace(path, size);
    return kept;
  };
  const Snapshot after = snapshot(scratch.root());
  const Snapshot outsideBefore = outsideOut(before);
  const Snapshot outsideAfter = outsideOut(after);
  if (outsideBefore != outsideAfter) {
    auto failure = ::testing::AssertionFailure() << "changed outside the output folder:";
    for (const auto& [path, size] : outsideAfter)
      if (!outsideBefore.count(path) || outsideBefore.at(path) != size) failure << " +" << path;
    for (const auto& [path, size] : outsideBefore)
      if (!outsideAfter.count(path)) failure << " -" << path;
    return failure << "\n" << describe(result);
  }

  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(scratch.out())) left.push_back(entry.path().filename().string());
  if (result.exitCode != 0) {
    if (result.output.find_first_not_of(" \r\n") == std::string::npos)
      return ::testing::AssertionFailure() << "failed without a message: " << describe(result);
    if (!left.empty())
      return ::testing::AssertionFailure() << "failed and left \"" << left.front() << "\" in the output folder: "
                                           << describe(result);
    return ::testing::AssertionSuccess();
  }
  for (const std::string& name : left) {
    if (std::find(outputs.begin(), outputs.end(), name) == outputs.end())
      return ::testing::AssertionFailure() << "left \"" << name << "\" in the output folder: " << describe(result);
  }
  return ::testing::AssertionSuccess();
}

RunResult Scratch::convert(const std::string& input, const std::vector<std::string>& outputs,
                           const std::string& what) const {
  const Snapshot before = snapshot(root_);
  const RunResult result = run({TARNWICK_EXE, "-s", "-p", out().string(), (in() / input).string()}, root_);
  EXPECT_TRUE(endedInOrder(*this, before, result, outputs)) << what;
  return result;
}

}  // namespace hostile
