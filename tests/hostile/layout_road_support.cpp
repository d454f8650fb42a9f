#include "layout_road_support.h"

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>

namespace layout_road {

const char* specialName(Special kind) {
  switch (kind) {
    case Special::kFifo: return "a FIFO";
    case Special::kZeroLink: return "a link to /dev/zero";
    case Special::kRandomLink: return "a link to /dev/urandom";
    case Special::kFolder: return "a folder";
  }
  return "?";
}

void makeSpecial(const fs::path& path, Special kind) {
  fs::create_directories(path.parent_path());
  fs::remove_all(path);
  switch (kind) {
    case Special::kFifo:
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
      break;
    case Special::kZeroLink:
      fs::create_symlink("/dev/zero", path);
      break;
    case Special::kRandomLink:
      fs::create_symlink("/dev/urandom", path);
      break;
    case Special::kFolder:
      fs::create_directories(path / "inside");
      break;
  }
}

void expectBounded(const RunResult& result, int exitCode, const std::string& needle, const std::string& what) {
  layout_hostile::expectInOrder(result, exitCode, what);
  SCOPED_TRACE(what + ": " + layout_hostile::describe(result));
  EXPECT_LE(result.seconds, kSecondsBound);
  if (!needle.empty()) {
    EXPECT_NE(result.output.find(needle), std::string::npos) << "the message lacks \"" << needle << "\"";
  }
}

RunResult program(const std::vector<std::string>& arguments, const fs::path& scratch, const RunSetting& setting) {
  std::vector<std::string> command{TARNWICK_EXE};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return layout_hostile::run(command, scratch, setting);
}

RunResult tool(const std::vector<std::string>& arguments, const fs::path& scratch, const RunSetting& setting) {
  std::vector<std::string> command{TARNWICK_OTLTOOL};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return layout_hostile::run(command, scratch, setting);
}

void packFolder(const fs::path& folder, const std::string& root, const fs::path& archive) {
  int error = 0;
  zip_t* zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(zip, nullptr) << "libzip error " << error;
  ASSERT_GE(zip_dir_add(zip, (root + "/").c_str(), ZIP_FL_ENC_UTF_8), 0);
  std::vector<fs::path> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) entries.push_back(entry.path());
  std::sort(entries.begin(), entries.end());
  for (const fs::path& path : entries) {
    const std::string name = root + "/" + fs::relative(path, folder).generic_string();
    if (fs::is_directory(path)) {
      ASSERT_GE(zip_dir_add(zip, (name + "/").c_str(), ZIP_FL_ENC_UTF_8), 0) << name;
      continue;
    }
    zip_source_t* source = zip_source_file(zip, path.c_str(), 0, -1);
    ASSERT_NE(source, nullptr) << name;
    ASSERT_GE(zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0) << name;
  }
  ASSERT_EQ(zip_close(zip), 0) << zip_strerror(zip);
}

void writeGlyphList(const fs::path& path, int count) {
  std::string names;
  for (int i = 0; i < count; ++i) names += "g" + std::to_string(i) + "\n";
  layout_hostile::writeFile(path, names);
}

std::vector<std::string> listTree(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  if (!fs::exists(folder, ignored)) return names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    names.push_back(fs::relative(entry.path(), folder).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace layout_road
