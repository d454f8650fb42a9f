// Glyph file names: the user-name rule that turns a glyph name into a ".glif" file
// name, made safe for every file system, and the assignment of unique names within
// one "glyphs/" folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ufo {

// The rule for one dot-separated part: every piece between underscores gets one "_"
// appended per ASCII capital it holds.
void userNamePartToFileName(std::string& part);

// The file name of a glyph name, ending with ".glif"; empty for an empty name. Bytes
// that no file system accepts (control bytes, bytes of 128 and above, and the
// characters " * + / : < > ? [ \ ] | %) become "_", a part that is a reserved device
// name gets a leading "_", and a long name is cut so that the whole file name stays
// within kMaxFileNameLength bytes.
std::string userNameToFileName(const std::string& glyphName);

inline constexpr size_t kMaxFileNameLength = 255;

// Hands out file names that differ from each other without regard to letter case:
// a name that clashes with one handed out before gets a 15-digit counter before
// ".glif" (a000000000000001.glif). Every name is a single plain component: it never
// holds a separator and never climbs out of the folder.
class GlyphFileNames {
 public:
  // The unique file name for a non-empty glyph name; empty for an empty name.
  std::string assign(const std::string& glyphName);

 private:
  std::set<std::string> taken_;                    // lower-cased
  std::map<std::string, uint64_t> nextCounter_;  // by lower-cased stem
};

// The name under which each glyph is written, one per entry of `names`: empty names
// and names met before are replaced by "unnamed.N" / "<name>.dupN" names that no
// other glyph of the list uses. Two names count as the same when `written` (the text
// that reaches the files; the name itself when not given) is the same for both.
// `renamed` receives a line per replaced name.
std::vector<std::string> uniqueGlyphNames(const std::vector<std::string>& names,
                                          std::vector<std::string>* renamed,
                                          const std::function<std::string(const std::string&)>& written = {});

}  // namespace ufo
