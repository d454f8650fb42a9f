// The CFF compiler context the core owns beside its table modules: the standard strings,
// the predefined charsets, the Type 1 key table, the charstring generator's hint checks and
// the charstring store. It is created and freed with the core; no compile uses it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "feacompiler/grow_array.h"

namespace fea {

struct coreContext;
struct CffCompilerContext;

using CffInputFn = char* (*)(void* client, size_t* count);
using CffFileFn = void (*)(void* client);

// The 20 callback entries; entry 0 is passed first to every callback.
struct CffCallbacks {
  void* clientData;                                               // 0
  void (*fatal)(void* client);                                    // 1
  void (*message)(void* client, int level, const char* text);     // 2
  void* (*allocate)(void* client, size_t size);                   // 3
  void* (*resize)(void* client, void* block, size_t size);        // 4
  void (*release)(void* client, void* block);                     // 5
  const char* (*fontName)(void* client);                          // 6
  CffInputFn fontInput7;                                          // 7
  void* none8;                                                    // 8
  CffInputFn fontInput9, fontInput10;                             // 9, 10
  void (*cffWrite)(void* client, const char* bytes, size_t count);  // 11
  CffInputFn fontInput12;                                         // 12
  CffFileFn tmpOpen;                                              // 13
  void (*tmpWrite)(void* client, const char* bytes, size_t count);  // 14
  CffFileFn tmpRewind;                                            // 15
  char* (*tmpRead)(void* client, size_t* count);                  // 16
  CffFileFn tmpClose;                                             // 17
  void* none18;                                                   // 18
  void* none19;                                                   // 19
};

// A list whose header is a block of its own.
template <class T>
struct CffList {
  GrowArray<T> items;
  CffCompilerContext* h;
};

struct CharsetRecord {
  long nSIDs;
  const uint16_t* sids;
  void* extra[2];
};

struct CffBuffer {
  GrowArray<char> bytes;
};

struct CffEntry {
  void* words[4];
};

// ---- String index ----
struct SidName {
  uint16_t sid;
  const char* name;
};

struct CustomString {
  uint32_t offset;
  uint16_t length;
  uint16_t sid;
};

constexpr int kStdStringCount = 391;

struct StringIndex {
  const char* const* standard;  // by SID
  const SidName* byName;        // sorted by name
  GrowArray<CustomString> custom;  // sorted by length, then bytes
  GrowArray<char> bytes;
  GrowArray<uint16_t> zeroed;
  CffCompilerContext* h;
};

// ---- Type 1 parser ----
enum class T1Handler : uint8_t { kString, kNumber, kArray, kDelta, kBoolean, kROS };

struct T1KeySlot {
  T1Handler handler;
  uint8_t op[2];       // second byte used after the escape 12
  const char* deflt;   // null when the operator has no default
};

struct T1KeyName {
  const char* name;
  uint8_t id;  // 0..68; 69 for names without a DICT value
};

constexpr int kT1NameCount = 97;
constexpr int kT1SlotCount = 44;
constexpr uint8_t kT1NoValue = 69;

struct T1ParseContext {
  GrowArray<char> arrays[10];
  int flag;
  void* tokenizer;
  void (*tokenizerFree)(void* tokenizer);
  void* clientData;
  void (*fatal)(void*);
  void (*message)(void*, int, const char*);
  void* (*allocate)(void*, size_t);
  void (*release)(void*, void*);
  const char* (*fontName)(void*);
  CffInputFn fontInput;
  CffCompilerContext* h;
  const T1KeySlot* keys;
};

// ---- Charstring generator ----
enum HintCheck : int {
  kStemConflict, kNegStemFixed, kNegStemUnfixed, kConsecutiveSubs, kHintOverlap,
  kRepeatSub, kUnhinted, kInconsistentFlex, kNonPerpFlex, kSuspectFlexArgs,
  kNoMoveAfterClose, kMovePrecedesClose, kMoveSequence, kArgCount, kIllegalSetCurrentPt,
  kSbwVertical, kHintCheckCount
};

struct HintWarning {
  long count;
  const char* text;
};

struct HintRecord {
  GrowArray<int32_t> values;
};

struct CharstringGenContext {
  GrowArray<int32_t> arrays[9];
  GrowArray<HintRecord> records;
  long state[4];
  CffCompilerContext* h;
  HintWarning warnings[kHintCheckCount];
};

// ---- Charstring store ----
struct CsNode {
  CsNode* next;
  void* block;
};

struct CharstringStore {
  CsNode* lists[3];
  GrowArray<char> arrays[7];
  uint16_t mode;
  long cleared[2];
  CffCompilerContext* h;
};

// ---- Records of the font being built ----
struct CffSubEntry {
  GrowArray<int32_t> a, b;
  uint16_t flags;  // bit 0: the optional pair is present
  void* pair[2];
};

struct CffRecord {
  uint16_t flags;  // bits 0 and 2: the optional pairs; bit 1: the extra block and sub-entries
  long counters[2];
  void* pointers[2];
  GrowArray<int32_t> a, b;
  void* single[2];
  void* pairA[2];
  void* pairB[2];
  void* extra;
  CffSubEntry* subs;
  long subCount;
};

struct CffRecordHolder {
  GrowArray<CffRecord> records;
  long words[2];
  CffCompilerContext* h;
};

struct CffCompilerContext {
  CffCallbacks cb;
  const void* charstringTypes;
  ArrayAllocator* alloc;
  CffList<CharsetRecord>* charsets;
  CffList<CffBuffer>* buffers;
  CffList<CffEntry>* entries;
  CffList<long>* further;
  T1ParseContext* t1;
  CharstringGenContext* hint;
  StringIndex* strings;
  CharstringStore* store;
  CffCompilerContext** self;
  CffRecordHolder* holder;
};

CffCompilerContext* cffCompilerNew(const CffCallbacks* callbacks);
void cffCompilerFree(CffCompilerContext* h);
void* cffMemManage(const ArrayAllocator* record, void* block, size_t size);
// A fatal error: the text at level 3 through entry 2 (after the source font's name, when
// entry 6 gives one), then entry 1, which does not return.
[[noreturn]] void cffFatal(CffCompilerContext* h, const char* text);
// The core's context: entries 0 to 5 from the core, the rest empty.
CffCompilerContext* cffCompilerNewForCore(coreContext* g);

void sindexNew(CffCompilerContext* h);
void sindexFree(CffCompilerContext* h);
void charsetNew(CffCompilerContext* h);
void t1ParseNew(CffCompilerContext* h);
void t1ParseFree(CffCompilerContext* h);
void hintNew(CffCompilerContext* h);
void hintFree(CffCompilerContext* h);
void csNew(CffCompilerContext* h);
void csFree(CffCompilerContext* h);
void cffCompilerFreeBuffers(CffCompilerContext* h);
void cffCompilerFreeRecords(CffCompilerContext* h);

// Standard strings: the name of a SID (null past the standard ones) and the SID of a name
// (-1 when it is not standard). A name's SID, adding it as a custom string when new.
const char* sindexStandardName(int sid);
int sindexStandardId(const char* name);
const SidName* sindexSortedTable();
uint16_t sindexGetId(CffCompilerContext* h, const char* name, size_t length);
// Name of a SID, standard or custom; empty when the SID is unknown.
const char* sindexGetString(CffCompilerContext* h, uint16_t sid, size_t* length);

// Predefined charsets (without ".notdef").
const uint16_t* cffCharsetSids(int which, long* count);

// Type 1 key table: id of a name (-1 when unknown) and the slot of an id below 44.
int t1KeyId(const char* name);
const T1KeyName* t1KeyNames();
const T1KeySlot* t1KeySlots();

// Text of a hint check (the warning the charstring generator counts).
const char* hintCheckText(int kind);

// The store of the most recently created context.
CharstringStore* cffCurrentStore();

}  // namespace fea
