// Shared helpers of the driver tests: fresh temporary folders and running the program.
#pragma once

#include <string>
#include <vector>

namespace testing_app {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // The names in the folder, sorted.
  std::vector<std::string> names() const;

 private:
  std::string path_;
};

struct RunResult {
  int exitCode = 0;  // as the shell sees it: -1 is 255
  std::string out;
  std::string err;
};

// Runs the built program in `folder` with the arguments.
RunResult runProgram(const std::string& folder, const std::vector<std::string>& arguments);
// Runs a shell command in `folder`; its exit code.
int runShell(const std::string& folder, const std::string& command, std::string* out = nullptr);

void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
std::string quoteForShell(const std::string& text);

}  // namespace testing_app
