// Runs the built program on hostile inputs in a scratch folder and checks that each run
// ends in order: no crash, a message on failure, bounded memory, nothing written outside
// the output folder and no partial output left behind.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace hostile {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode = 0;    // as the shell sees it (0..255)
  int signal = 0;      // the signal that ended the program, 0 when it exited
  std::string output;  // standard output and standard error together
  long peakKilobytes = 0;
};

// Everything below a folder: relative path -> size (folders as -1).
using Snapshot = std::map<std::string, std::int64_t>;
Snapshot snapshot(const fs::path& folder);

// Text for failure messages: the exit, the signal and the first lines of the output.
std::string describe(const RunResult& result);

// A scratch folder: <temp>/work with "in" (the inputs) and "deep/er/out" (the output
// folder, deep enough that "../" names have room to climb while staying inside work).
class Scratch {
 public:
  Scratch();
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const fs::path& root() const { return root_; }
  fs::path in() const { return root_ / "in"; }
  fs::path out() const { return root_ / "deep" / "er" / "out"; }

  void write(const fs::path& relative, const std::string& bytes) const;
  void write(const fs::path& relative, const std::vector<std::uint8_t>& bytes) const {
    write(relative, std::string(bytes.begin(), bytes.end()));
  }

  // Runs the program with "-s -p <out>" on the input (relative to "in") from the scratch
  // root, bounded in address space (unless sanitized) and CPU time, and expects the run to
  // end in order: no crash, peak memory below the limit, nothing changed outside the
  // output folder; on failure a message and an empty output folder; on success only names
  // of `outputs` in the output folder.
  RunResult convert(const std::string& input, const std::vector<std::string>& outputs, const std::string& what) const;

 private:
  fs::path base_;
  fs::path root_;
};

}  // namespace hostile
