// The sample font converted UFO -> native -> UFO through the program: fontTools judges
// that the groups and the kerning came back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// fontTools compares two UFOs: the same group names with the same members (plain
// groups, not used by kerning and without a side in their name, also in the same
// order), and the same kerning for every glyph pair. Prints "groups N kerning M".
constexpr const char* kJudge = R"(
import plistlib, sys, os
from fontTools.ufoLib.kerning import lookupKerningValue
def load(ufo):
    def read(name):
        path = os.path.join(ufo, name)
        return plistlib.load(open(path, 'rb')) if os.path.exists(path) else {}
    return read('groups.plist'), read('kerning.plist')
def flat(groups, kerning):
    pairs = {(a, b): v for a, d in kerning.items() for b, v in d.items()}
    first, second = {}, {}
    for a, b in pairs:
        for m in groups.get(a, []): first.setdefault(m, a)
        for m in groups.get(b, []): second.setdefault(m, b)
    out = {}
    for a, b in pairs:
        for x in groups.get(a, [a]):
            for y in groups.get(b, [b]):
                v = lookupKerningValue((x, y), pairs, groups, glyphToFirstGroup=first, glyphToSecondGroup=second)
                if v: out[(x, y)] = v
    return out
(ga, ka), (gb, kb) = load(sys.argv[1]), load(sys.argv[2])
used = set(ka) | {b for d in ka.values() for b in d}
def same(name):
    a, b = ga.get(name), gb.get(name)
    if a is None or b is None: return False
    plain = name not in used and '@MMK_' not in name and not name.startswith('_KERN_')
    return a == b if plain else sorted(a) == sorted(b)
groups = sum(1 for n in set(ga) | set(gb) if not same(n))
fa, fb = flat(ga, ka), flat(gb, kb)
print('groups', groups, 'kerning', sum(1 for p in set(fa) | set(fb) if fa.get(p) != fb.get(p)))
)";

std::string capture(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
  }
  return output;
}

TEST(GroupsRoundTrip, SampleFontThroughTheProgram) {
  const std::string python = TARNWICK_PYTHON;
  if (capture(python + " -c 'import fontTools.ufoLib.kerning; print(1)' 2>/dev/null") != "1\n")
    GTEST_SKIP() << "fontTools is not installed";
  const fs::path folder = fs::temp_directory_path() / ("tw-groups-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy(fs::path(TARNWICK_SOURCE_DIR) / "tests/data/Sample.ufo", folder / "font.ufo", fs::copy_options::recursive);
  std::ofstream(folder / "judge.py") << kJudge;
  const std::string run = "cd '" + folder.string() + "' && '" + TARNWICK_EXE + "' -s ";
  ASSERT_EQ(std::system((run + "font.ufo >/dev/null && " + run + "-p out font.qtf >/dev/null").c_str()), 0);
  EXPECT_TRUE(fs::exists(folder / "out/font.ufo/groups.plist"));
  EXPECT_EQ(capture("cd '" + folder.string() + "' && " + python + " judge.py font.ufo out/font.ufo 2>&1"),
            "groups 0 kerning 0\n");
  fs::remove_all(folder);
}

}  // namespace
