// Speed floor for reading a UFO: reads files of the folder and runs every XML file
// (".plist", ".glif", ".xml") through expat with empty element handlers, doing
// nothing else. Prints the number of files, bytes and elements seen.
//
//   floor_read_ufo <font.ufo> [--default-layer]
//
// With --default-layer only the top-level files and the "glyphs" folder are read
// (what a UFO 2 reader needs); otherwise every file below the folder.
#include <expat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Totals {
  std::size_t files = 0;
  std::size_t bytes = 0;
  std::size_t elements = 0;
  std::size_t failures = 0;
};

void XMLCALL countElement(void* data, const XML_Char*, const XML_Char**) {
  ++static_cast<Totals*>(data)->elements;
}
void XMLCALL endElement(void*, const XML_Char*) {}
void XMLCALL characters(void*, const XML_Char*, int) {}

bool isXml(const fs::path& path) {
  const std::string extension = path.extension().string();
  return extension == ".plist" || extension == ".glif" || extension == ".xml";
}

bool readWhole(const fs::path& path, std::vector<char>& buffer) {
  const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  buffer.clear();
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(file, chunk, sizeof chunk);
    if (got < 0) {
      ::close(file);
      return false;
    }
    if (got == 0) break;
    buffer.insert(buffer.end(), chunk, chunk + got);
  }
  ::close(file);
  return true;
}

class Floor {
 public:
  Floor() : parser_(XML_ParserCreate("UTF-8")) {}
  ~Floor() { XML_ParserFree(parser_); }
  Floor(const Floor&) = delete;
  Floor& operator=(const Floor&) = delete;

  void visit(const fs::path& path) {
    if (!readWhole(path, buffer_)) {
      ++totals_.failures;
      return;
    }
    ++totals_.files;
    totals_.bytes += buffer_.size();
    if (!isXml(path)) return;
    // One parser for the whole run, reset per file: the floor pays no creation cost.
    XML_ParserReset(parser_, "UTF-8");
    XML_SetUserData(parser_, &totals_);
    XML_SetElementHandler(parser_, countElement, endElement);
    XML_SetCharacterDataHandler(parser_, characters);
    if (XML_Parse(parser_, buffer_.data(), static_cast<int>(buffer_.size()), XML_TRUE) !=
        XML_STATUS_OK) {
      ++totals_.failures;
    }
  }

  const Totals& totals() const { return totals_; }

 private:
  XML_Parser parser_;
  std::vector<char> buffer_;
  Totals totals_;
};

void walk(Floor& floor, const fs::path& folder, bool topLevelOnly) {
  std::vector<fs::path> children;
  for (const auto& entry : fs::directory_iterator(folder)) children.push_back(entry.path());
  for (const fs::path& child : children) {
    if (fs::is_directory(child)) {
      if (!topLevelOnly) {
        walk(floor, child, false);
      } else if (child.filename() == "glyphs") {
        walk(floor, child, false);
      }
    } else if (fs::is_regular_file(child)) {
      floor.visit(child);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <font.ufo> [--default-layer]\n", argv[0]);
    return 2;
  }
  const bool defaultLayer = argc > 2 && std::strcmp(argv[2], "--default-layer") == 0;
  Floor floor;
  try {
    walk(floor, argv[1], defaultLayer);
  } catch (const fs::filesystem_error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  const Totals& totals = floor.totals();
  std::printf("%zu files, %zu bytes, %zu elements, %zu failures\n", totals.files, totals.bytes,
              totals.elements, totals.failures);
  return totals.failures == 0 ? 0 : 1;
}
