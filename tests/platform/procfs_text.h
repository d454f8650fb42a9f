// A file whose status gives the size 0 while it holds text, as procfs files do: the
// environment block of a child process, which the child overwrites with the text
// (padded with blanks to the block's length) and then waits. Read through
// "/proc/<child>/environ", the file holds exactly the block.
#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testing_platform {

class ProcfsText {
 public:
  explicit ProcfsText(const std::string& text) {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    if (!environmentBlock(start, end) || end - start < text.size()) return;
    // The block as it will read: the text, then blanks up to its end (no NUL is left).
    std::string block(end - start, ' ');
    block.replace(0, text.size(), text);
    int ready[2];
    if (::pipe(ready) != 0) return;
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
      // Ends with the test, also when the test crashes.
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(1);
      ::close(ready[0]);
      std::memcpy(reinterpret_cast<char*>(start), block.data(), block.size());
      const char signal = 1;
      (void)!::write(ready[1], &signal, 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char signal = 0;
    ready_ = pid_ > 0 && ::read(ready[0], &signal, 1) == 1;
    ::close(ready[0]);
    block_ = std::move(block);
  }
  ~ProcfsText() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ProcfsText(const ProcfsText&) = delete;
  ProcfsText& operator=(const ProcfsText&) = delete;

  // False when the environment block is too small for the text or no child could be made.
  bool ready() const { return ready_; }
  std::string path() const { return "/proc/" + std::to_string(pid_) + "/environ"; }
  // What the file holds.
  const std::string& contents() const { return block_; }

 private:
  // The bounds of this process's environment block, fields 50 and 51 of its status line.
  static bool environmentBlock(std::uintptr_t& start, std::uintptr_t& end) {
    std::ifstream in("/proc/self/stat");
    std::string line;
    std::getline(in, line);
    const auto name = line.rfind(')');
    if (name == std::string::npos) return false;
    std::istringstream fields(line.substr(name + 1));
    std::vector<std::string> values;
    for (std::string value; fields >> value;) values.push_back(value);
    // The first field after the name is field 3.
    if (values.size() < 49) return false;
    start = std::stoull(values[47]);
    end = std::stoull(values[48]);
    return end > start;
  }

  pid_t pid_ = -1;
  bool ready_ = false;
  std::string block_;
};

}  // namespace testing_platform
