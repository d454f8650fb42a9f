// The compiler core: the one record every compiler module receives, and its reporter.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "feacompiler/client.h"
#include "feacompiler/fea_compiler.h"
#include "feacompiler/grow_array.h"

namespace fea {

// Values of the compiler's script, language and feature fields that are no tag.
constexpr uint32_t kTagNone = 0xFFFFFFFF;        // registered under no language system
constexpr uint32_t kTagStandalone = 0x01010101;  // lookup block outside every feature
// The default language 'dflt': four blanks, below every language tag, so the default
// language system comes first when a script's languages are sorted.
constexpr uint32_t kTagDefaultLanguage = 0x20202020;

// Glyph record flags.
constexpr uint16_t kGlyphNoUnicode = 4;  // left out of the Unicode encodings
constexpr uint16_t kUnsetMetric = 32767;
constexpr uint32_t kNoCode = 0xFFFF;

struct GlyphRecord {
  uint16_t id = 0xFFFF;
  uint16_t secondId = 0xFFFF;
  uint16_t hAdvance = 1000;
  int16_t vAdvance = static_cast<int16_t>(kUnsetMetric);  // stored negated
  const char* name = nullptr;  // the caller's glyph name text
  uint16_t flags = 2;
  uint32_t code = kNoCode;     // first Unicode value
  std::vector<uint32_t> moreCodes;
  int16_t vOrigin = static_cast<int16_t>(kUnsetMetric);
  int16_t xMin = 0, yMax = 0;  // outline bounds the metrics tables would use
};

// Font-wide metrics the table blocks give; kUnsetMetric when not given.
struct FontMetrics {
  int16_t hheaAscender = kUnsetMetric, hheaDescender = kUnsetMetric, hheaLineGap = kUnsetMetric;
  int16_t typoAscender = kUnsetMetric, typoDescender = kUnsetMetric, typoLineGap = kUnsetMetric;
  int16_t winAscent = kUnsetMetric, winDescent = kUnsetMetric;
  int16_t xHeight = kUnsetMetric, capHeight = kUnsetMetric;
  int16_t vertTypoAscender = kUnsetMetric, vertTypoDescender = kUnsetMetric,
          vertTypoLineGap = kUnsetMetric;
};

// Option flags.
constexpr uint32_t kOptBacktrackInTextOrder = 0x0001;
constexpr uint32_t kOptVerticalMetrics = 0x0010;

struct FeatContext;
struct MapContext;
struct CmapContext;
struct OS2Context;
struct NameContext;
struct MMFXContext;
struct BASEContext;
struct HheaContext;
struct GSUBContext;
struct GPOSContext;
struct GDEFContext;
struct SfntDirectory;
struct CFFTableContext;
struct VORGContext;
struct VmtxContext;
struct PostContext;
struct HeadContext;
struct VheaContext;
struct HmtxContext;
struct MaxpContext;
struct FvarContext;
struct MMSDContext;
struct CffCompilerContext;
class CffReader;
class CffReaderClient;

// The bytes of an input font program, handed out in blocks: seek gives the data at an
// offset and how many bytes follow there, refill the block after the last one (count 0 at
// the end). A compile supplies none; the table modules that would write a whole font read
// their CFF data through it.
class FontProgramInput {
 public:
  virtual ~FontProgramInput() = default;
  virtual const uint8_t* seek(uint32_t offset, size_t& count) = 0;
  virtual const uint8_t* refill(size_t& count) = 0;
};

struct coreContext {
  uint32_t version = 0x00010038;
  uint32_t version2 = 65536;
  std::string vendor;
  std::tm creationTime{};  // local time when the core was made
  uint16_t fontFlags = 0;
  uint32_t optionFlags = 0;
  std::string fontName;
  int32_t fontRevision = 0;  // 16.16
  FontMetrics metrics;
  std::vector<GlyphRecord> glyphs;
  std::vector<std::string> missingNames;  // names of provisional ids, from glyphs.size() on
  std::string note;          // long texts are built here before they are reported
  uint16_t errorFlag = 0;
  FeaClient* client = nullptr;

  // Font-wide values the unwritten tables would read (none is set by a compile).
  uint16_t unitsPerEm = 1000;
  int16_t fontBBox[4] = {0, 0, 0, 0};  // xMin, yMin, xMax, yMax
  int64_t timeStamp = 0;                // Unix seconds
  int32_t italicAngle = 0;              // 16.16
  int16_t underlinePosition = 0, underlineThickness = 0;
  int16_t defaultVertOrigin = 0;

  // Arrays of the modules allocate through here; running out of memory is fatal.
  ArrayAllocator arrays;

  // Reporter state: the lexer's current line, the last reported message and its line,
  // and the name of the file the feature layer reads (shown by the fatal report).
  int line = 1;
  std::string lastMsg;
  int lastLine = -1;
  std::string msgFileName;
  bool msgFileGiven = false;  // set by the feature layer for the message it reports
  // Where the first error of the compile is (what the caller's report names).
  FeaErrorPlace errorPlace;
  bool errorPlaced = false;
  // Set while a lookup's rules are built: the text then stands where the lookup ends, not
  // at the rule in error.
  bool buildingLookup = false;

  // Module contexts.
  FeatContext* feat = nullptr;
  MapContext* map = nullptr;
  CmapContext* cmap = nullptr;
  OS2Context* os2 = nullptr;
  NameContext* name = nullptr;
  MMFXContext* mmfx = nullptr;
  BASEContext* base = nullptr;
  HheaContext* hhea = nullptr;
  GSUBContext* gsub = nullptr;
  GPOSContext* gpos = nullptr;
  GDEFContext* gdef = nullptr;
  HeadContext* head = nullptr;
  MaxpContext* maxp = nullptr;
  PostContext* post = nullptr;
  FvarContext* fvar = nullptr;
  MMSDContext* mmsd = nullptr;
  CFFTableContext* cff = nullptr;
  HmtxContext* hmtx = nullptr;
  VheaContext* vhea = nullptr;
  VmtxContext* vmtx = nullptr;
  VORGContext* vorg = nullptr;
  CffCompilerContext* cffCompiler = nullptr;
  SfntDirectory* sfnt = nullptr;

  // Input CFF font: its bytes and the reader over them, made on first need.
  FontProgramInput* fontProgram = nullptr;
  CffReader* cffReader = nullptr;
  CffReaderClient* cffReaderClient = nullptr;
};

// Font flags the unwritten tables read.
constexpr uint16_t kFontFixedPitch = 1u << 13;
constexpr uint16_t kFontMultipleMaster = 1u << 14;
constexpr uint16_t kFontCID = 1u << 15;

// Memory function of the core's arrays (ArrayAllocator::manage; owner = the core).
void* coreMemManage(const ArrayAllocator* record, void* block, size_t size);
// Raw blocks through the same path: never null (out of memory is fatal).
void* coreAlloc(coreContext* g, size_t size);
void coreRelease(coreContext* g, void* block);

// Creates the core with every module; coreFree releases them again.
coreContext* coreNew(FeaClient* client);
void coreReuse(coreContext* g);
void coreFree(coreContext* g);

// The reporter. With a format: "<font> " + the text, sent to the client and kept as the
// last message. Without (null): the note buffer is the text. Level 2 sets the error flag,
// level 3 ends the compile and never returns.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void coreMsg(coreContext* g, int level, const char* format, ...);

// Ends the compile through the client; never returns.
[[noreturn]] void coreFatal(coreContext* g);

// Keeps where the text stands as the place of the compile's error, unless an earlier
// error's place is kept already.
void coreNoteErrorPlace(coreContext* g);

// Marks the building of a lookup's rules for as long as it lives.
struct LookupBuildScope {
  explicit LookupBuildScope(coreContext* g) : g(g), before(g->buildingLookup) { g->buildingLookup = true; }
  ~LookupBuildScope() { g->buildingLookup = before; }
  LookupBuildScope(const LookupBuildScope&) = delete;
  LookupBuildScope& operator=(const LookupBuildScope&) = delete;
  coreContext* g;
  bool before;
};

// printf into a string (messages only; numbers in them are integers or pre-formatted).
std::string formatText(const char* format, va_list args);
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string formatf(const char* format, ...);

// Name of a glyph id, also of a provisional one the font lacks (never null).
const char* coreGlyphName(const coreContext* g, uint32_t gid);

// OS/2 vendor id.
void coreSetVendor(coreContext* g, const std::string& text);

// Escaped name strings: a backslash and four (Windows) or two (Macintosh) hex digits.
// Return 0 on success with the decoded bytes in out, 1 on failure.
[[nodiscard]] int coreDecodeWinString(const std::string& in, std::string& out);
[[nodiscard]] int coreDecodeMacString(const std::string& in, std::string& out);

// Input CFF font data: the `length` bytes at `offset`; a range the input does not hold (or
// no input at all) is fatal. The reader over the input, made on first use.
std::string coreCFFData(coreContext* g, uint32_t offset, uint32_t length);
CffReader& coreCffReader(coreContext* g);
// Text of a CFF string id: the standard strings below 391, the font's String INDEX above.
std::string coreGetSIDString(coreContext* g, uint32_t sid);
// Releases the reader made by coreCffReader.
void coreCffReaderFree(coreContext* g);

// vmtx statements: vertical origin and advance of a glyph.
void coreSetVertOrigin(coreContext* g, uint16_t gid, int16_t value, const std::string& file);
void coreSetVertAdvance(coreContext* g, uint16_t gid, int16_t value, const std::string& file);

}  // namespace fea
