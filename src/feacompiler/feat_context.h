// The feature layer: the state of one compile while the grammar reads the feature text.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "feacompiler/core_context.h"
#include "feacompiler/glyph_node.h"
#include "feacompiler/lexer.h"
#include "layout/ot/limits.h"
#include "layout/ot/tag.h"

namespace fea {

constexpr uint16_t kLabelNone = 0xFFFF;
constexpr uint16_t kLabelRef = 0x8000;
constexpr uint16_t kFirstAnonLabel = ot::limits::kMaxNamedLookups;  // labels below are named lookups
constexpr int kLastAnonLabel = 0x7FFE;  // 0x7FFF with the reference bit would read as "none"
// Bounds on work a hostile text can ask for: nodes alive at once (class copies and cross
// products grow multiplicatively) and sequences of one cross product.
constexpr size_t kMaxNodes = ot::limits::kMaxGlyphNodeBytes / sizeof(GlyphNode);
constexpr size_t kMaxCrossProduct = 100000;

// Global flags.
constexpr uint16_t kSeenFeature = 0x0001, kSeenLangSys = 0x0002, kSeenGlyphClassDef = 0x0004,
                   kSeenIgnoreFlag = 0x0008, kSeenMarkClass = 0x0010;
// Feature flags.
constexpr uint16_t kSeenScript = 0x0001, kLangSysMode = 0x0002;

struct FeatState {
  uint32_t script = kTagNone, language = kTagNone, feature = kTagNone, table = kTagNone;
  uint32_t lookupType = 0, lookupFlag = 0;
  uint16_t markSetIndex = 0;
  uint16_t label = kLabelNone;
};

struct LangSysRecord {
  uint32_t script, language;
  bool excludeDflt;
};

struct DefaultLookupRecord {
  uint32_t table, lookupType, lookupFlag;
  uint16_t markSetIndex, label;
  int useExtension;
};

struct NamedLookupRecord {
  std::string name;
  FeatState state;
  int useExtension = 0;
};

struct IncludeRecord {
  std::string name;     // as opened: the resolved path ("features" for the caller's text)
  std::string written;  // as the include statement gave it (empty for the caller's text)
  int line = 1;
  long offset = 0;
};

struct AaltFeature {
  uint32_t tag;
  bool used;
  bool gaveRule = false;  // a rule of the feature went into 'aalt' (a lookup reference sets only `used`)
};

struct AaltAlternate {
  uint16_t gid;
  int order;  // index of the contributing feature in the aalt list, -1 for 'aalt' itself
};

struct AaltRule {
  uint16_t target;
  std::vector<AaltAlternate> alternates;
};

struct ClassRecord {
  std::string name;
  GlyphNode* head = nullptr;
  GlyphNode** tail = nullptr;  // where the next member goes, kept by featClassEnd
  // Its first node was handed out as the class's identity (mark attachment class, mark
  // filtering set, mark class of a rule): a redefinition must not recycle it for another.
  bool keyed = false;
};

struct NamedValueRecord {
  int16_t values[4];
};

struct NamedAnchor {
  int16_t x, y;
  uint16_t contourPoint;
  bool hasContourPoint;
};

struct FeatContext {
  coreContext* g = nullptr;
  Lexer lex;

  // Node pool: blocks freed only as a whole.
  std::vector<std::unique_ptr<GlyphNode[]>> blocks;
  size_t blockSize = 0, blockUsed = 0;
  GlyphNode* freeList = nullptr;
  // Bytes the builders hold of rules not yet built into subtables: they share the nodes' bound.
  uint64_t ruleBytes = 0;

  std::vector<IncludeRecord> includes;
  // Input position in the current file.
  long delivered = 0;
  int lastChar = -1;  // the last character delivered
  // The main text's name once its parse is done: what messages of the table builders name.
  std::string parsedName;
  // The feature or top-level lookup block of the main text being read: its tag or name as
  // written, and the line it begins at (0: none).
  std::string blockName;
  bool inLookupBlock = false;
  int blockLine = 0;
  const char* buf = nullptr;
  size_t bufLen = 0, bufPos = 0;

  FeatState curr, prev;
  uint16_t gFlags = 0, fFlags = 0;
  std::vector<LangSysRecord> langSys;
  std::vector<DefaultLookupRecord> defaultLookups;
  std::vector<uint32_t> scripts, languages, features, tables;
  std::vector<NamedLookupRecord> namedLookups;
  std::vector<FeatState> dfltLookups;
  // The dflt lookups of the feature's other scripts, kept while another script is current.
  std::map<uint32_t, std::vector<FeatState>> otherScriptDfltLookups;
  bool includeDflt = true, deprecationWarned = false, newLookup = false;
  uint16_t currNamedLookup = kLabelNone, namedCounter = 0, anonCounter = kFirstAnonLabel;

  bool aaltUseExtension = false;
  std::vector<AaltFeature> aaltFeatures;
  std::vector<AaltRule> aaltRules;

  std::map<std::string, ClassRecord> classes;
  ClassRecord anonClass;  // a bracketed class outside a definition
  ClassRecord* building = nullptr;
  GlyphNode** buildPlace = nullptr;

  std::string anonText;
  uint32_t anonTag = 0;
  size_t anonLineStart = 0;
  uint16_t exceptCount = 0;

  std::map<std::string, std::set<uint16_t>> defaultClassMembers;
  std::vector<GlyphNode*> markClasses;
  std::map<std::string, NamedAnchor> namedAnchors;
  std::map<std::string, NamedValueRecord> namedValues;
  std::string stringBuf;
  std::deque<FeatValueRecord> valueRecords;  // stable: nodes point at them for the compile
  std::vector<GpsAnchor> anchors;
  std::vector<GlyphNode*> sequences;
  uint16_t featNameId = 0;
};

void featNew(coreContext* g);
int featFill(coreContext* g);
void featReuse(coreContext* g);
void featFree(coreContext* g);

// Messages of the feature layer: the current file's name goes with them.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void featMsg(coreContext* g, int level, const char* format, ...);
// Hard error: fatal, with the current token text.
[[noreturn]] void featLexError(coreContext* g, const char* message);
[[noreturn]] void featLexErrorf(coreContext* g, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Input of the lexer and include files.
int featNextChar(coreContext* g);
int featIncludeOpen(coreContext* g, const char* name);
int featIncludeClose(coreContext* g, int flag);
std::string featIncludeName(coreContext* g);
const std::string& featCurrentFile(coreContext* g);
// Where the text being read stands; line -1 when none is (after the parse). An include
// being opened is placed at its include statement.
FeaErrorPlace featErrorPlace(coreContext* g);
// One character of an anon block's body; 1 when the line closed the block.
int featLexAppend(coreContext* g, int c, bool endOfLine);
void featAnonDataFlush(coreContext* g);
// Prints the syntax error and ends the compile.
[[noreturn]] void featSyntaxError(coreContext* g, const std::vector<int>& expected);
uint32_t featStringToTag(const std::string& text);

}  // namespace fea
