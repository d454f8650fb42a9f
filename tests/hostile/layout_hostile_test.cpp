// Hostile feature text and binary layout tables, through otltool (compile, import,
// roundtrip) and through the program (a UFO whose features.fea is hostile, converted to a
// native file and back). Every run must end in order: no signal, exit 0 or 1 (1 with a
// message), at most kPeakBytes of memory and kWallSeconds of time; the program keeps a
// features.fea it could not compile byte for byte through UFO -> native -> UFO.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Bounds: 2 GB of address space (and of peak memory) and 60 s of wall time per run, far
// above any sound run on these inputs and well under the suite's 600 s timeout. A run
// that blocks (a FIFO read) is killed at kWallSeconds and fails the test.
constexpr long kPeakKilobytes = 2L * 1024 * 1024;
constexpr rlim_t kAddressLimit = rlim_t{2} << 30;
constexpr int kWallSeconds = 60;
constexpr int kEither = -1;  // exit 0 or 1 are both sound

struct RunResult {
  int exitCode = 0;
  int signal = 0;
  long peakKilobytes = 0;
  double seconds = 0;
  std::string output;
};

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Runs a command under /usr/bin/time (for the child's own peak) and timeout (for the wall
// bound), in an address space bounded unless sanitized.
RunResult run(const std::vector<std::string>& arguments, const fs::path& scratch) {
  const fs::path log = scratch / "run.log";
  const fs::path peak = scratch / "run.peak";
  std::vector<std::string> command{"/usr/bin/time", "-f", "%M", "-o", peak.string(),
                                   "/usr/bin/timeout", "-s", "KILL", std::to_string(kWallSeconds)};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    const int file = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (file < 0) ::_exit(125);
    ::dup2(file, 1);
    ::dup2(file, 2);
    if (!kSanitized) {
      const rlimit address{kAddressLimit, kAddressLimit};
      ::setrlimit(RLIMIT_AS, &address);
    }
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
  if (result.exitCode > 128) result.signal = result.exitCode - 128;
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

// A run ended in order: no signal, no timeout, bounded memory, the expected exit code
// (kEither: 0 or 1), and a message when it failed.
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

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "tarnwick-layout-hostile-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string repeat(const std::string& text, size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

// The glyph names of the otltool runs: g0 .. g65534, the most a font may hold.
constexpr int kGlyphs = 65535;

std::string bigClass(const std::string& name, size_t members, size_t shift) {
  std::string text = "@" + name + " = [";
  text.reserve(members * 8);
  for (size_t i = 0; i < members; ++i) text += " g" + std::to_string((i + shift) % kGlyphs);
  return text + "];\n";
}

// One hostile feature text: writes features.fea (and whatever it includes) into a folder.
struct FeaCase {
  const char* name;
  std::function<void(const fs::path&)> make;
  int otlExit;  // of otltool compile and import
};

void fea(const fs::path& folder, const std::string& text) { writeFile(folder / "features.fea", text); }

std::vector<FeaCase> feaCases() {
  return {
      {"include loop",
       [](const fs::path& f) {
         fea(f, "include(a.fea);\n");
         writeFile(f / "a.fea", "include(b.fea);\n");
         writeFile(f / "b.fea", "include(a.fea);\n");
       },
       1},
      {"include of itself", [](const fs::path& f) { fea(f, "include(features.fea);\n"); }, 1},
      {"include of a folder",
       [](const fs::path& f) {
         fs::create_directories(f / "folder.fea");
         fea(f, "include(folder.fea);\n");
       },
       1},
      {"include of a FIFO",
       [](const fs::path& f) {
         ::mkfifo((f / "pipe.fea").c_str(), 0600);
         fea(f, "include(pipe.fea);\n");
       },
       1},
      {"include of a missing file", [](const fs::path& f) { fea(f, "include(nowhere/missing.fea);\n"); }, 1},
      {"10,000-deep feature blocks",
       [](const fs::path& f) { fea(f, repeat("feature liga {\n", 10000) + "sub g1 by g2;\n" + repeat("} liga;\n", 10000)); },
       1},
      {"10,000-deep lookup blocks",
       [](const fs::path& f) { fea(f, repeat("lookup L {\n", 10000) + "sub g1 by g2;\n" + repeat("} L;\n", 10000)); },
       1},
      {"10,000-deep classes",
       [](const fs::path& f) { fea(f, "@c = " + repeat("[", 10000) + "g1" + repeat("]", 10000) + ";\n"); }, 1},
      {"a class of 1,000,000 glyphs",
       [](const fs::path& f) { fea(f, bigClass("A", 1000000, 0) + "feature kern { pos @A g1 -10; } kern;\n"); },
       kEither},
      {"the cross product of two classes of 1,000,000 glyphs",
       [](const fs::path& f) {
         fea(f, bigClass("A", 1000000, 0) + bigClass("B", 1000000, 17) + "feature kern { enum pos @A @B -10; } kern;\n");
       },
       kEither},
      {"a number past 32 bits in a value",
       [](const fs::path& f) { fea(f, "feature kern { pos g1 g2 99999999999999999999; } kern;\n"); }, 1},
      {"a number past 32 bits in an anchor",
       [](const fs::path& f) {
         fea(f, "markClass g3 <anchor 4294967296 0> @M;\nfeature mark { pos base g1 <anchor 0 -4294967297> mark @M; } mark;\n");
       },
       1},
      {"a number past 32 bits in a lookup flag",
       [](const fs::path& f) { fea(f, "lookup L { lookupflag 4294967298; sub g1 by g2; } L;\n"); }, 1},
      {"a number past 32 bits in a glyph id", [](const fs::path& f) { fea(f, "@c = [\\4294967297];\n"); }, 1},
      {"100,000 lookups",
       [](const fs::path& f) {
         std::string text;
         for (int i = 0; i < 100000; ++i) text += "lookup L" + std::to_string(i) + " { sub g1 by g2; } L" + std::to_string(i) + ";\n";
         text += "feature liga {\n";
         for (int i = 0; i < 100000; ++i) text += "lookup L" + std::to_string(i) + ";\n";
         fea(f, text + "} liga;\n");
       },
       kEither},
      {"a 10 MB line",
       [](const fs::path& f) { fea(f, "feature liga { sub g1 by g" + std::string(10 << 20, '7') + "; } liga;\n"); },
       kEither},
      {"a 10 MB class line", [](const fs::path& f) { fea(f, "@c = [" + repeat(" g1 g2", (10 << 20) / 6) + "];\n"); }, kEither},
      {"invalid UTF-8",
       [](const fs::path& f) {
         fea(f, "# \xff\xfe\xc3\x28\n@c = [g1 g\xc3\x28 g\xed\xa0\x80];\nfeature liga { sub g1 by g2; } liga;\n"
                "table name { nameid 9 \"\xff\xfe\xc0\xaf\"; } name;\n");
       },
       kEither},
  };
}

const char* kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n";

std::string plist(const std::string& body) { return std::string(kPlistHead) + body + "</plist>\n"; }

// A small sound UFO 2 font of the glyphs g1, g2 and g3.
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

constexpr const char* kNotCompiled = "not compiled:";

class LayoutHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    glyphs_ = scratch_.path() / "glyphs.txt";
    std::string names;
    for (int i = 0; i < kGlyphs; ++i) names += "g" + std::to_string(i) + "\n";
    writeFile(glyphs_, names);
  }
  RunResult tool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{TARNWICK_OTLTOOL};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command, scratch_.path());
  }
  RunResult program(const fs::path& input, const fs::path& output) {
    return run({TARNWICK_EXE, "-s", input.string(), output.string()}, scratch_.path());
  }

  ScratchFolder scratch_;
  fs::path glyphs_;
};

TEST_F(LayoutHostile, FeatureTextThroughOtltoolAndTheProgram) {
  int index = 0;
  for (const FeaCase& hostileCase : feaCases()) {
    const fs::path folder = scratch_.path() / ("case" + std::to_string(index++));
    const fs::path text = folder / "fea";
    fs::create_directories(text);
    hostileCase.make(text);
    for (const char* verb : {"compile", "import"}) {
      const RunResult result = tool({verb, glyphs_.string(), (text / "features.fea").string(), (folder / verb).string()});
      expectInOrder(result, hostileCase.otlExit, std::string(hostileCase.name) + ", otltool " + verb);
    }

    // The program: the same files inside a UFO, to a native file and back.
    const fs::path ufo = folder / "font.ufo";
    writeUfo(ufo);
    hostileCase.make(ufo);
    const fs::path native = folder / "font.qtf";
    const fs::path back = folder / "back.ufo";
    const RunResult there = program(ufo, native);
    expectInOrder(there, 0, std::string(hostileCase.name) + ", UFO -> native");
    if (there.exitCode != 0) continue;
    // A text kept uncompiled says why.
    const size_t why = there.output.find(kNotCompiled);
    if (why != std::string::npos) {
      const size_t reason = why + std::string(kNotCompiled).size();
      EXPECT_NE(there.output.substr(reason, there.output.find('\n', reason) - reason).find_first_not_of(" \r"),
                std::string::npos)
          << hostileCase.name << ": no reason given: " << there.output.substr(0, 300);
    }
    const RunResult home = program(native, back);
    expectInOrder(home, 0, std::string(hostileCase.name) + ", native -> UFO");
    EXPECT_TRUE(readAll(back / "features.fea") == readAll(ufo / "features.fea"))
        << hostileCase.name << ": features.fea changed on the way";
    fs::remove_all(folder);
  }
}

// ---- binary tables

using Bytes = std::string;

void put16(Bytes& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value >> 8);
  bytes[at + 1] = static_cast<char>(value & 0xFF);
}

Bytes be16(std::initializer_list<uint16_t> values) {
  Bytes out;
  for (uint16_t value : values) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
  }
  return out;
}

// A layout header of version 1.0 with empty script and feature lists and one lookup of
// `type` whose single subtable is an Extension subtable pointing at itself.
Bytes extensionLoop(uint16_t type, uint16_t wrapped) {
  return be16({1, 0, 10, 12, 14}) + be16({0}) + be16({0}) + be16({1, 4}) + be16({type, 0, 1, 8}) +
         be16({1, wrapped, 0, 0});
}

TEST_F(LayoutHostile, BinaryTablesThroughOtltool) {
  // Sound tables to spoil, from the compiler.
  const fs::path source = scratch_.path() / "sound";
  writeFile(source / "features.fea",
            "languagesystem DFLT dflt;\n@A = [g1 g2 g3 g4];\n"
            "feature liga { sub g1 g2 by g3; sub g4' g5 by g6; } liga;\n"
            "feature kern { pos g1 g2 -30; pos @A @A -10; } kern;\n"
            "markClass g7 <anchor 0 0> @M;\nfeature mark { pos base g1 <anchor 100 200> mark @M; } mark;\n");
  const RunResult compiled = tool({"compile", glyphs_.string(), (source / "features.fea").string(), (source / "tables").string()});
  ASSERT_EQ(compiled.exitCode, 0) << describe(compiled);
  const Bytes gsub = readAll(source / "tables" / "GSUB");
  const Bytes gpos = readAll(source / "tables" / "GPOS");
  ASSERT_GT(gsub.size(), 20u);
  ASSERT_GT(gpos.size(), 20u);

  struct TableCase {
    const char* name;
    const char* table;
    Bytes bytes;
  };
  auto spoiled = [](Bytes bytes, size_t at, uint16_t value) {
    put16(bytes, at, value);
    return bytes;
  };
  const uint16_t gposLookups = static_cast<uint16_t>((uint8_t(gpos[8]) << 8) | uint8_t(gpos[9]));
  const std::vector<TableCase> cases{
      {"GSUB truncated to half", "GSUB", gsub.substr(0, gsub.size() / 2)},
      {"GPOS truncated to 7 bytes", "GPOS", gpos.substr(0, 7)},
      {"GSUB lookup list past the end", "GSUB", spoiled(gsub, 8, 0xFFF0)},
      {"GPOS feature list past the end", "GPOS", spoiled(gpos, 6, static_cast<uint16_t>(gpos.size() + 2))},
      {"GSUB huge lookup count", "GSUB", spoiled(gsub, static_cast<size_t>((uint8_t(gsub[8]) << 8) | uint8_t(gsub[9])), 0xFFFF)},
      {"GPOS huge lookup count", "GPOS", spoiled(gpos, gposLookups, 0xFFFF)},
      {"GPOS huge script count", "GPOS", spoiled(gpos, static_cast<size_t>((uint8_t(gpos[4]) << 8) | uint8_t(gpos[5])), 0xFFFF)},
      {"GSUB Extension pointing at itself", "GSUB", extensionLoop(7, 7)},
      {"GSUB Extension wrapping a single substitution at itself", "GSUB", extensionLoop(7, 1)},
      {"GPOS Extension pointing at itself", "GPOS", extensionLoop(9, 9)},
      {"GPOS Extension wrapping a pair adjustment at itself", "GPOS", extensionLoop(9, 2)},
      {"GDEF truncated", "GDEF", be16({1, 2, 0xFFFF})},
  };
  int index = 0;
  for (const TableCase& hostileCase : cases) {
    const fs::path in = scratch_.path() / ("tables" + std::to_string(index++));
    writeFile(in / hostileCase.table, hostileCase.bytes);
    const RunResult result = tool({"roundtrip", glyphs_.string(), in.string(), (in / "out").string()});
    expectInOrder(result, kEither, hostileCase.name);
  }
}

}  // namespace
