// Runs otltool and the program on hostile layout input and checks that each run ends in
// order: no signal, exit 0 or 1 (1 with a message), at most kPeakKilobytes of memory and
// kWallSeconds of time.
#pragma once

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace layout_hostile {

namespace fs = std::filesystem;

// Bounds: 2 GB of address space (and of peak memory) and 60 s of wall time per run, far
// above any sound run on these inputs and well under the suite's 600 s timeout. A run
// that blocks (a FIFO read) is killed at kWallSeconds and fails the test.
inline constexpr long kPeakKilobytes = 2L * 1024 * 1024;
inline constexpr rlim_t kAddressLimit = rlim_t{2} << 30;
inline constexpr int kWallSeconds = 60;
inline constexpr int kEither = -1;  // exit 0 or 1 are both sound

struct RunResult {
  int exitCode = 0;
  int signal = 0;
  long peakKilobytes = 0;
  double seconds = 0;
  std::string output;
};

std::string readAll(const fs::path& path);
void writeFile(const fs::path& path, const std::string& bytes);
std::string repeat(const std::string& text, size_t times);

// Where and how a command runs beyond the default bounds.
struct RunSetting {
  fs::path folder;                          // the working folder; empty: the test's own
  rlim_t fileSizeLimit = RLIM_INFINITY;     // largest file the command may write (ulimit -f)
  rlim_t addressLimit = kAddressLimit;      // address space (not applied when sanitized)
  int wallSeconds = kWallSeconds;           // killed after this long
};

// Runs a command under /usr/bin/time (for the child's own peak) and timeout (for the wall
// bound), in an address space bounded unless sanitized; the scratch folder holds its log.
RunResult run(const std::vector<std::string>& arguments, const fs::path& scratch, const RunSetting& setting = {});
std::string describe(const RunResult& run);

// A run ended in order: no signal, no timeout, bounded memory, the expected exit code
// (kEither: 0 or 1), and a message when it failed.
void expectInOrder(const RunResult& result, int expected, const std::string& what);

// A small sound UFO 2 font of the glyphs g1, g2 and g3.
void writeUfo(const fs::path& ufo);

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

}  // namespace layout_hostile
