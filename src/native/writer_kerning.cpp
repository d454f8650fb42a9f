#include "native/writer_kerning.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <set>
#include <span>
#include <unordered_map>

#include "layout/registry/glyph_name_registry.h"
#include "model/first_few.h"
#include "model/font.h"
#include "model/numbers.h"
#include "native/kerning_classes.h"
#include "native/kerning_keys.h"
#include "native/limits.h"
#include "native/stream/stream.h"
#include "native/tags.h"

namespace qtf {

namespace {

constexpr char kKeyMark = '\'';
// Characters at which the reader splits a member text.
constexpr const char* kMemberSeparators = ", ;\t\n\r";

using IdList = std::vector<vn::GlyphId>;

struct WrittenClass {
  std::string name;
  std::string ownName;  // the class's name in the font
  int32_t flags = 0;
  std::vector<std::string> members;
  IdList memberIds;     // the members' registry ids, in the same order
  std::string keyName;  // empty: no key mark
  vn::GlyphId keyId = 0;
};

int32_t sideFlags(uint32_t side) {
  int32_t flags = 0;
  if (side == vn::kSideFirst || side == vn::kSideBoth) flags |= info::kFirstSideFlag;
  if (side == vn::kSideSecond || side == vn::kSideBoth) flags |= info::kSecondSideFlag;
  return flags;
}

std::string uniqueName(const std::string& base, std::set<std::string>& used) {
  std::string candidate = base;
  for (int counter = 1; used.count(candidate); ++counter) candidate = base + vn::formatInteger(counter);
  used.insert(candidate);
  return candidate;
}

std::string memberText(const std::vector<std::string>& members, const std::string& keyName) {
  std::string text;
  for (const std::string& member : members) {
    if (!text.empty()) text += ' ';
    text += member;
    if (!keyName.empty() && member == keyName) text += kKeyMark;
  }
  return text;
}

// How keyed kerning classes are named in the file.
enum class KeyedNames {
  kOwnWhereKept,  // a one-sided class under its own name where the reader gives it back
  kKeyGlyph,      // every one as "_" + key glyph
};

// The name a one-sided keyed class is written under: its own where the reader makes a
// group of that name of it, else "_" + key glyph.
std::string keyedName(const std::string& own, const vn::KerningGlyphGroup& group, KeyedNames naming) {
  const std::string derived = kKeyedClassPrefix + group.keyGlyph;
  const bool oneSided = group.side == vn::kSideFirst || group.side == vn::kSideSecond;
  // The reader cuts a class definition at its first ':' and takes no name of one byte.
  if (naming == KeyedNames::kKeyGlyph || !oneSided || own.size() < 2 || own.find(':') != std::string::npos ||
      keyedClassGroupName(own, group.keyGlyph, group.side) != own ||
      keyedClassGroupName(derived, group.keyGlyph, group.side) == own) {
    return derived;
  }
  return own;
}

std::vector<WrittenClass> classesToWrite(const vn::FontKerning& source, bool withKeys,
                                         KeyedNames naming = KeyedNames::kOwnWhereKept) {
  std::vector<WrittenClass> classes;
  std::set<std::string> used;
  for (const auto& [id, group] : source.groups.groups) {
    WrittenClass written;
    written.ownName = otl::glyphNameById(id);
    written.flags = sideFlags(group.side);
    for (vn::GlyphId member : group.glyphs) {
      written.members.push_back(otl::glyphNameById(member));
      written.memberIds.push_back(member);
    }
    if (withKeys && group.side != vn::kSideNone && hasValidKeyGlyph(group)) {
      written.keyName = group.keyGlyph;
      written.name = uniqueName(keyedName(written.ownName, group, naming), used);
    } else {
      if (withKeys && hasValidKeyGlyph(group)) written.keyName = group.keyGlyph;
      written.name = uniqueName(otl::glyphNameById(id), used);
    }
    if (!written.keyName.empty()) written.keyId = otl::glyphIdByName(written.keyName);
    classes.push_back(std::move(written));
  }
  return classes;
}

// True when the groups the reader makes of the written classes have distinct names and
// each keyed class comes back under its own name or the prefix of its side + key glyph
// (keyedClassGroupName); the other classes come back under their written names.
bool groupNamesReadBack(const std::vector<WrittenClass>& classes) {
  std::set<std::string> names;
  for (const WrittenClass& written : classes) {
    const bool keyed = !written.keyName.empty() && written.flags != 0;
    for (const int32_t flag : {info::kFirstSideFlag, info::kSecondSideFlag}) {
      if (keyed && !(written.flags & flag)) continue;
      const uint32_t side = flag == info::kFirstSideFlag ? vn::kSideFirst : vn::kSideSecond;
      const std::string name = keyed ? keyedClassGroupName(written.name, written.keyName, side) : written.name;
      const std::string derived = keyed ? keyedClassGroupName(kKeyedClassPrefix + written.keyName, written.keyName, side)
                                        : written.name;
      if ((name != written.ownName && name != derived) || !names.insert(name).second) return false;
      if (!keyed) break;
    }
  }
  return true;
}

bool splitsCleanly(const std::string& name) {
  return !name.empty() && name.find_first_of(kMemberSeparators) == std::string::npos && name.back() != kKeyMark;
}

// The glyph sets that stand on one side of the pairs, cut into atoms: glyphs that belong
// to exactly the same sets. A kerning built from these sets has one value on each pair
// of atoms, so two such kernings agree on every glyph pair when they agree on every
// pair of atoms, which are few where the glyph pairs are many.
class SideAtoms {
 public:
  // `idLimit`: one past the largest glyph id that will be seen (more is allowed, slower).
  explicit SideAtoms(size_t idLimit) : singleSet_(idLimit, kNone) {}

  // The set of one glyph.
  uint32_t single(vn::GlyphId glyph) {
    if (glyph >= singleSet_.size()) singleSet_.resize(size_t{glyph} + 1, kNone);
    uint32_t& set = singleSet_[glyph];
    if (set == kNone) {
      set = static_cast<uint32_t>(sets_.size());
      sets_.push_back({glyph, nullptr});
    }
    return set;
  }
  // The set of a class's members; equal `identity`, same set.
  uint32_t members(uint64_t identity, const IdList& glyphs) {
    auto [at, added] = classes_.try_emplace(identity, static_cast<uint32_t>(sets_.size()));
    if (added) sets_.push_back({0, &glyphs});
    return at->second;
  }

  // Cuts the glyphs into atoms; each set then knows its atoms.
  void split() {
    std::vector<uint32_t> atomOf(singleSet_.size(), kNone);
    auto slot = [&atomOf](vn::GlyphId glyph) -> uint32_t& {
      if (glyph >= atomOf.size()) atomOf.resize(size_t{glyph} + 1, kNone);
      return atomOf[glyph];
    };
    uint32_t atomCount = 0;
    // A glyph that is a side on its own is an atom of its own.
    for (const GlyphSet& set : sets_) {
      if (!set.glyphs) slot(set.glyph) = atomCount++;
    }
    std::unordered_map<vn::GlyphId, IdList> setsOf;
    for (uint32_t set = 0; set < sets_.size(); ++set) {
      if (!sets_[set].glyphs) continue;
      for (vn::GlyphId glyph : *sets_[set].glyphs) {
        if (slot(glyph) == kNone) setsOf[glyph].push_back(set);
      }
    }
    std::map<IdList, uint32_t> atomOfSets;
    for (auto& [glyph, sets] : setsOf) {
      auto [at, added] = atomOfSets.try_emplace(std::move(sets), atomCount);
      if (added) ++atomCount;
      slot(glyph) = at->second;
    }
    atomCount_ = atomCount;
    atomStart_.assign(1, 0);
    atoms_.clear();
    for (const GlyphSet& set : sets_) {
      const size_t start = atoms_.size();
      if (!set.glyphs) {
        atoms_.push_back(atomOf[set.glyph]);
      } else {
        for (vn::GlyphId glyph : *set.glyphs) atoms_.push_back(atomOf[glyph]);
        std::sort(atoms_.begin() + start, atoms_.end());
        atoms_.erase(std::unique(atoms_.begin() + start, atoms_.end()), atoms_.end());
      }
      atomStart_.push_back(atoms_.size());
    }
  }

  std::span<const uint32_t> atoms(uint32_t set) const {
    return {atoms_.data() + atomStart_[set], atoms_.data() + atomStart_[set + 1]};
  }
  // How many atoms split() made; atom numbers run below it.
  uint32_t atomCount() const { return atomCount_; }

 private:
  static constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
  struct GlyphSet {
    vn::GlyphId glyph;      // a single glyph, when `glyphs` is null
    const IdList* glyphs;   // the members of a class
  };
  std::vector<GlyphSet> sets_;
  std::vector<uint32_t> singleSet_;  // glyph id -> its single set, kNone when none
  std::map<uint64_t, uint32_t> classes_;
  std::vector<size_t> atomStart_;    // set -> its first atom in atoms_; one more at the end
  std::vector<uint32_t> atoms_;
  uint32_t atomCount_ = 0;
};

// What the check of the written kerning found.
enum class ReadBack {
  kFaithful,
  kTooLarge,         // past the bound on what is written or checked
  kLayoutClassName,  // a layout glyph class has the written name of a kerning class
  kDiffers,          // no key glyphs read back as the font kerns
};

// A pair over two side sets. Lists of them are kept in winning order: of the pairs that
// cover a glyph combination, the first listed gives its value.
struct SetPair {
  uint32_t firstSet = 0;
  uint32_t secondSet = 0;
  int32_t value = 0;
};

// The font's value of each covered pair of atoms, in which the first value painted on a
// pair stays. The rebuilt kerning is then checked against it. Each first atom has a row
// of its own, an open-addressing table of the second atoms: pairs are painted and
// matched mostly row by row, and a row is a small piece of memory.
class AtomPairTable {
 public:
  // `rowPairs[a]`: how many pairs with first atom a will be painted at most.
  explicit AtomPairTable(const std::vector<uint32_t>& rowPairs) : rows_(rowPairs.size()) {
    size_t total = 0;
    for (size_t a = 0; a < rowPairs.size(); ++a) {
      // Room for half as many again, so that probes stay short; at least one free slot.
      size_t capacity = 1;
      while (capacity < size_t{rowPairs[a]} + rowPairs[a] / 2 + 1) capacity *= 2;
      rows_[a] = {total, capacity - 1};
      total += capacity;
    }
    slots_.assign(total, Slot{});
  }

  void paintFirst(uint32_t first, uint32_t second, int32_t value) {
    Slot& slot = find(first, second);
    if (slot.second != kEmpty) return;
    slot = {second, value, false};
    if (value != 0) ++unmatched_;
  }

  // Takes the rebuilt value of a pair of atoms, the first one given for it winning;
  // false at once when it differs from the font's (rebuilt values are never 0).
  bool match(uint32_t first, uint32_t second, int32_t value) {
    Slot& slot = find(first, second);
    if (slot.second == kEmpty || slot.value != value) return slot.matched;
    if (!slot.matched) {
      slot.matched = true;
      --unmatched_;
    }
    return true;
  }

  // True when every pair with a font value other than 0 was matched.
  bool allMatched() const { return unmatched_ == 0; }

 private:
  // Atom numbers stay below the glyph count, so none is all ones.
  static constexpr uint32_t kEmpty = std::numeric_limits<uint32_t>::max();
  struct Slot {
    uint32_t second = kEmpty;
    int32_t value = 0;
    bool matched = false;
  };
  struct Row {
    size_t start = 0;
    size_t mask = 0;
  };

  // `first` is below the row count: atoms of the side the rows were made for.
  Slot& find(uint32_t first, uint32_t second) {
    const Row& row = rows_[first];
    size_t at = static_cast<size_t>((uint64_t{second} * 0x9E3779B97F4A7C15ull) >> 32) & row.mask;
    while (slots_[row.start + at].second != kEmpty && slots_[row.start + at].second != second) {
      at = (at + 1) & row.mask;
    }
    return slots_[row.start + at];
  }

  std::vector<Row> rows_;
  std::vector<Slot> slots_;
  uint64_t unmatched_ = 0;
};

uint64_t combinationCount(const std::vector<SetPair>& setPairs, const SideAtoms& firsts, const SideAtoms& seconds) {
  uint64_t total = 0;
  for (const SetPair& pair : setPairs) {
    total += static_cast<uint64_t>(firsts.atoms(pair.firstSet).size()) * seconds.atoms(pair.secondSet).size();
  }
  return total;
}

// The reader's key map of one side: key glyph id -> its class (null: none).
using KeyedClasses = std::vector<const WrittenClass*>;

// Checks the written classes as the reader will split them and fills the key maps:
// key glyph -> class, for each side. False when the classes cannot be read back
// unambiguously.
bool keyedClasses(const std::vector<WrittenClass>& classes, size_t idLimit, KeyedClasses (&keyed)[2]) {
  std::vector<uint8_t> covered[2];
  for (int side = 0; side < 2; ++side) {
    keyed[side].assign(idLimit, nullptr);
    covered[side].assign(idLimit, 0);
  }
  for (const WrittenClass& written : classes) {
    for (const std::string& member : written.members) {
      if (!splitsCleanly(member)) return false;
    }
    if (written.keyName.empty() || written.name.size() < 2) continue;
    // The reader cuts a class definition at its first ':'.
    if (written.name.find(':') != std::string::npos) return false;
    for (int side = 0; side < 2; ++side) {
      const int32_t flag = side == 0 ? info::kFirstSideFlag : info::kSecondSideFlag;
      if (!(written.flags & flag)) continue;
      // One class per key glyph and side, and no glyph in two classes of a side.
      if (written.keyId >= idLimit || keyed[side][written.keyId]) return false;
      keyed[side][written.keyId] = &written;
      for (vn::GlyphId member : written.memberIds) {
        if (member >= idLimit || covered[side][member]) return false;
        covered[side][member] = 1;
      }
    }
  }
  return true;
}

// Whether the kerning that the reader rebuilds from the written classes and glyph pairs
// is, glyph pair by glyph pair and after truncation, the font's own kerning.
// The reader turns key glyph pairs back into class pairs, and a more specific pair
// wins over a class pair that covers it; the font's kerning gives each glyph pair the
// value of the first pair in key order that covers it. Both are compared on pairs of
// atoms (SideAtoms), never glyph pair by glyph pair.
ReadBack readsBack(const std::vector<WrittenClass>& classes, const std::vector<FileGlyphPair>& written,
                   const std::vector<uint8_t>& inFont, const vn::FontKerning& font) {
  const size_t idLimit = inFont.size();
  KeyedClasses keyed[2];
  if (!keyedClasses(classes, idLimit, keyed)) return ReadBack::kDiffers;

  SideAtoms firsts(idLimit);
  SideAtoms seconds(idLimit);
  constexpr uint64_t kWrittenClass = uint64_t{1} << 32;
  constexpr uint32_t kNoSet = std::numeric_limits<uint32_t>::max();
  SideAtoms* atomsOf[2] = {&firsts, &seconds};
  // Each glyph's set on each side, found once: a glyph stands in many pairs.
  std::vector<uint32_t> writtenSetOf[2] = {std::vector<uint32_t>(idLimit, kNoSet),
                                           std::vector<uint32_t>(idLimit, kNoSet)};
  // A key glyph stands for its class; any other glyph for itself. `glyph` < idLimit.
  auto writtenSet = [&](int side, vn::GlyphId glyph) {
    uint32_t& set = writtenSetOf[side][glyph];
    if (set == kNoSet) {
      const WrittenClass* found = keyed[side][glyph];
      set = found ? atomsOf[side]->members(kWrittenClass | static_cast<uint64_t>(found - classes.data()), found->memberIds)
                  : atomsOf[side]->single(glyph);
    }
    return set;
  };
  auto isInFont = [&inFont](vn::GlyphId glyph) { return glyph < inFont.size() && inFont[glyph]; };
  // Glyph-glyph, glyph-class, class-glyph, class-class: higher ranks win, and within a
  // rank the later pair. The pairs are laid out in that order, each rank from its end.
  auto rankOf = [&keyed](const FileGlyphPair& pair) {
    return (keyed[0][pair.first] ? 0 : 2) + (keyed[1][pair.second] ? 0 : 1);
  };
  size_t rankEnd[4] = {};
  for (const FileGlyphPair& pair : written) {
    if (isInFont(pair.first) && isInFont(pair.second)) ++rankEnd[rankOf(pair)];
  }
  for (int rank = 2; rank >= 0; --rank) rankEnd[rank] += rankEnd[rank + 1];
  std::vector<SetPair> rebuilt(rankEnd[0]);
  for (const FileGlyphPair& pair : written) {
    if (!isInFont(pair.first) || !isInFont(pair.second)) continue;
    rebuilt[--rankEnd[rankOf(pair)]] = {writtenSet(0, pair.first), writtenSet(1, pair.second), pair.value};
  }

  std::map<vn::GlyphId, IdList> fontClasses;
  auto fontSet = [&](SideAtoms& atoms, const vn::KerningSide& side, bool& known) -> uint32_t {
    known = true;
    if (!side.isClass()) return atoms.single(side.glyph);
    auto [at, added] = fontClasses.try_emplace(side.klass);
    if (added) {
      const vn::KerningGlyphGroup* group = font.groups.find(side.klass);
      if (group) at->second.assign(group->glyphs.begin(), group->glyphs.end());
    }
    // A class without members covers nothing.
    known = !at->second.empty();
    return atoms.members(side.klass, at->second);
  };
  // In key order, which is the font's winning order.
  std::vector<SetPair> expected;
  for (const auto& [key, value] : font.pairs) {
    SetPair set;
    bool firstKnown = false;
    bool secondKnown = false;
    set.firstSet = fontSet(firsts, key.first, firstKnown);
    set.secondSet = fontSet(seconds, key.second, secondKnown);
    set.value = fileKerningValue(value);
    if (firstKnown && secondKnown) expected.push_back(set);
  }

  firsts.split();
  seconds.split();
  const uint64_t expectedCount = combinationCount(expected, firsts, seconds);
  if (expectedCount > kMaxCheckedCombinations) return ReadBack::kTooLarge;
  std::vector<uint32_t> rowPairs(firsts.atomCount(), 0);
  for (const SetPair& pair : expected) {
    const auto secondCount = static_cast<uint32_t>(seconds.atoms(pair.secondSet).size());
    for (uint32_t a : firsts.atoms(pair.firstSet)) rowPairs[a] += secondCount;
  }
  AtomPairTable fontValues(rowPairs);
  for (const SetPair& pair : expected) {
    for (uint32_t a : firsts.atoms(pair.firstSet)) {
      for (uint32_t b : seconds.atoms(pair.secondSet)) fontValues.paintFirst(a, b, pair.value);
    }
  }
  // The rebuilt combinations share what the font's leave of the limit; they are counted
  // as they are compared, and going past it is a "no" like a difference.
  uint64_t budget = kMaxCheckedCombinations - expectedCount;
  for (const SetPair& pair : rebuilt) {
    const std::span<const uint32_t> firstAtoms = firsts.atoms(pair.firstSet);
    const std::span<const uint32_t> secondAtoms = seconds.atoms(pair.secondSet);
    const uint64_t combinations = uint64_t{firstAtoms.size()} * secondAtoms.size();
    if (combinations > budget) return ReadBack::kTooLarge;
    budget -= combinations;
    for (uint32_t a : firstAtoms) {
      for (uint32_t b : secondAtoms) {
        if (!fontValues.match(a, b, pair.value)) return ReadBack::kDiffers;
      }
    }
  }
  return fontValues.allMatched() ? ReadBack::kFaithful : ReadBack::kDiffers;
}

// Sum over pairs of the glyph combinations they stand for, saturating.
uint64_t expandedSize(const vn::FontKerning& kerning) {
  uint64_t total = 0;
  for (const auto& [key, value] : kerning.pairs) {
    uint64_t combinations = 1;
    for (const vn::KerningSide* side : {&key.first, &key.second}) {
      if (!side->isClass()) continue;
      const vn::KerningGlyphGroup* group = kerning.groups.find(side->klass);
      combinations *= group ? group->glyphs.size() : 0;
    }
    total += combinations;
    if (total > kMaxWrittenGlyphPairs) return total;
  }
  return total;
}

// The kerning expanded into glyph pairs as the file carries them.
void expandToFilePairs(const vn::FontKerning& kerning, std::vector<FileGlyphPair>& out) {
  std::vector<vn::GlyphPairValue> expanded;
  kerning.expandPairs(expanded);
  out.clear();
  out.reserve(expanded.size());
  for (const vn::GlyphPairValue& pair : expanded) {
    const int32_t value = fileKerningValue(pair.value);
    if (value != 0) out.push_back({pair.first, pair.second, value});
  }
}

void buildClassBlock(const std::vector<WrittenClass>& classes, KerningPreparation& out) {
  out.kerningClassTexts.clear();
  out.kerningClassBlock.clear();
  if (classes.empty()) return;
  Stream block;
  block.setGrowable(true);
  block.writeInt(static_cast<int32_t>(classes.size()));
  for (const WrittenClass& written : classes) {
    out.kerningClassTexts[written.name] = memberText(written.members, written.keyName);
    block.writeString(written.name);
    block.writeInt(written.flags);
    block.writeInt(0);
  }
  const auto bytes = block.written();
  out.kerningClassBlock.assign(bytes.begin(), bytes.end());
}

// The detail line of a refused kerning.
std::string kerningTooLarge() {
  return "Its kerning would take more than " + vn::formatInteger(static_cast<int64_t>(kMaxWrittenGlyphPairs)) +
         " glyph pairs in the native file: a kerning class whose every member is kerned on its own, or whose "
         "glyphs have a zero exception under a class pair, is written as glyph pairs.";
}

// Warning lines of kerning classes that travel as glyph pairs: the classes are named (the
// first few, then a count).
constexpr const char* kSpreadClassesLine =
    "kerning classes that the native format cannot keep as classes are written as glyph pairs; they come back "
    "as plain groups, with every pair's value kept";
constexpr const char* kFlatKerningLine =
    "; its classes come back as plain groups, with every pair's value kept";

const char* spreadReasonText(SpreadReason reason) {
  switch (reason) {
    case SpreadReason::kZeroPair: return "an exception of 0 under a class pair";
    case SpreadReason::kMembersKernedAlone: return "every member kerned on its own";
    case SpreadReason::kBothSides: return "a class of both sides";
  }
  return "";
}

std::string flatKerningLine(ReadBack why) {
  std::string line = "the whole kerning is written as glyph pairs, as ";
  switch (why) {
    case ReadBack::kTooLarge:
      line += "checking its classes would take more than " +
              vn::formatInteger(static_cast<int64_t>(kMaxCheckedCombinations)) + " glyph combinations";
      break;
    case ReadBack::kLayoutClassName:
      line += "a layout glyph class has the name a kerning class is written under";
      break;
    case ReadBack::kFaithful:
    case ReadBack::kDiffers:
      line += "no key glyphs can be chosen for its classes that read back as the font kerns";
      break;
  }
  return line + kFlatKerningLine;
}

// One way of writing the kerning: the classes and glyph pairs that stand for `source`,
// checked against the font's own kerning.
ReadBack tryWriting(const vn::FontKerning& source, const vn::FontKerning& fontKerning, uint64_t fontExpandedSize,
                    const std::vector<uint8_t>& inFont, const std::set<std::string>& featureNames,
                    std::vector<WrittenClass>& classes, std::vector<FileGlyphPair>& pairs) {
  classes = classesToWrite(source, true);
  if (!groupNamesReadBack(classes)) classes = classesToWrite(source, true, KeyedNames::kKeyGlyph);
  pairs.clear();
  const uint64_t size = &source == &fontKerning ? fontExpandedSize : expandedSize(source);
  if (size > kMaxWrittenGlyphPairs) return ReadBack::kTooLarge;
  // A layout class of the same name would replace a kerning class's definition.
  for (const WrittenClass& written : classes) {
    if (featureNames.count(written.name)) return ReadBack::kLayoutClassName;
  }
  expandToFilePairs(source, pairs);
  return readsBack(classes, pairs, inFont, fontKerning);
}

// Names the font's kerning classes that pairs use and that are written without a key
// glyph, so that their pairs travel as glyph pairs. `spread` holds why, where known.
void nameClassesWrittenAsPairs(const vn::FontKerning& fontKerning, const std::vector<WrittenClass>& classes,
                               ReadBack result, std::optional<SpreadClasses>& spread, KerningPreparation& out) {
  std::set<std::string> keyed;
  for (const WrittenClass& written : classes) {
    if (!written.keyName.empty()) keyed.insert(written.ownName);
  }
  std::set<vn::GlyphId> used;
  fontKerning.usedGroupIds(used);
  std::vector<vn::GlyphId> named;
  for (vn::GlyphId id : used) {
    const vn::KerningGlyphGroup* group = fontKerning.groups.find(id);
    if (group && group->side != vn::kSideNone && !keyed.count(otl::glyphNameById(id))) named.push_back(id);
  }
  if (named.empty()) return;
  if (!spread) {
    vn::FontKerning scratch;
    spread.emplace();
    (void)assignKeyGlyphs(fontKerning, scratch, &*spread);
  }
  // Flat for want of keys, but each class has a reason of its own to go so: the same
  // as when only those classes go.
  const bool eachHasReason = std::all_of(named.begin(), named.end(), [&](vn::GlyphId id) { return spread->count(id); });
  const bool whole = result != ReadBack::kFaithful && !(result == ReadBack::kDiffers && eachHasReason);
  std::vector<std::string> items;
  for (vn::GlyphId id : named) {
    std::string item = otl::glyphNameById(id);
    const auto reason = spread->find(id);
    if (!whole && reason != spread->end()) item += std::string(" (") + spreadReasonText(reason->second) + ")";
    items.push_back(std::move(item));
  }
  out.warnings.push_back((whole ? flatKerningLine(result) : std::string(kSpreadClassesLine)) + ": " +
                         vn::firstFewWithCount(items));
}

}  // namespace

bool prepareKerning(vn::Font& font, KerningPreparation& out, KerningLayoutRoutes* routes) {
  const vn::FontKerning& fontKerning = font.kerning();
  vn::FontKerning converted;
  const bool useConverted = convertKerningClasses(fontKerning, converted, routes) && !converted.pairs.empty();
  const vn::FontKerning& source = useConverted ? converted : fontKerning;

  otl::GlyphNameRegistry& registry = otl::glyphNameRegistry();
  // Glyph ids are dense: tables indexed by them cover every id given so far.
  std::vector<uint8_t> inFont(size_t{registry.lastId()} + 1, 0);
  out.glyphIds.clear();
  out.glyphIds.reserve(font.glyphs.size());
  for (const vn::Glyph* glyph : font.glyphs) {
    const vn::GlyphId id = glyph && registry.contains(glyph->name) ? registry.idForName(glyph->name) : 0;
    out.glyphIds.push_back(id);
    if (id != 0 && id < inFont.size()) inFont[id] = 1;
  }

  out.featureClassTexts.clear();
  std::set<std::string> featureNames;
  std::vector<vn::LayoutClassEntry> entries;
  font.layout.listGlyphClasses(entries);
  for (const vn::LayoutClassEntry& entry : entries) {
    if (!entry.group) continue;
    std::vector<std::string> members;
    for (vn::GlyphId member : entry.group->members()) members.push_back(otl::glyphNameById(member));
    out.featureClassTexts[entry.name] = memberText(members, entry.group->keyGlyph);
    featureNames.insert(entry.name);
  }

  out.refusal.clear();
  out.warnings.clear();
  const uint64_t fontExpandedSize = expandedSize(fontKerning);
  std::vector<WrittenClass> classes;
  ReadBack result =
      tryWriting(source, fontKerning, fontExpandedSize, inFont, featureNames, classes, out.glyphKerning);
  // The font's own expansion, kept for the flat form.
  const bool fontExpanded = &source == &fontKerning && !out.glyphKerning.empty();
  std::optional<SpreadClasses> spread;
  if (result != ReadBack::kFaithful) {
    // The font's own classes, each with a key glyph that no pair uses on its own, and
    // those that cannot have one (an exception of 0 under a class pair, ...) spread over
    // their members: the other classes stay classes.
    vn::FontKerning keyed;
    vn::FontKerning keyPairs;
    spread.emplace();
    if (assignKeyGlyphs(fontKerning, keyed, &*spread) && keyGlyphPairs(keyed, keyPairs)) {
      std::vector<WrittenClass> keyedClasses;
      std::vector<FileGlyphPair> pairs;
      if (tryWriting(keyPairs, fontKerning, fontExpandedSize, inFont, featureNames, keyedClasses, pairs) ==
          ReadBack::kFaithful) {
        result = ReadBack::kFaithful;
        classes = std::move(keyedClasses);
        out.glyphKerning = std::move(pairs);
      }
    }
  }
  out.flattened = result != ReadBack::kFaithful;
  if (out.flattened) {
    classes = classesToWrite(fontKerning, false);
    // Flat glyph pairs of hostile number would take gigabytes to write and to read.
    if (fontExpandedSize > kMaxWrittenGlyphPairs) {
      out.glyphKerning.clear();
      buildClassBlock(classes, out);
      out.refusal = kerningTooLarge();
      return false;
    }
    if (!fontExpanded) expandToFilePairs(fontKerning, out.glyphKerning);
  }
  nameClassesWrittenAsPairs(fontKerning, classes, result, spread, out);
  buildClassBlock(classes, out);
  return true;
}

}  // namespace qtf
