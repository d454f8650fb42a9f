// Every bound of the layout stage in one place: binary table reading and writing, the
// layout model and the feature-file compiler's input. Kept free of includes of our own
// so any library of the layout stage can use it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ot::limits {

// A bound that grows with the input's size, with a floor for small inputs.
constexpr uint64_t scaledBound(size_t inputBytes, uint64_t perByte, uint64_t floor) {
  const uint64_t scaled = static_cast<uint64_t>(inputBytes) * perByte;
  return scaled < floor ? floor : scaled;
}

// Operations budget of one table read: a step per record visited, so shared offsets,
// loops and huge ranges cannot run away. The floor lets even a small table spread a
// coverage and two class definitions over every glyph index: one range of six bytes may
// stand for 65,535 glyphs.
inline constexpr uint64_t kOperationsPerByte = 64;
inline constexpr uint64_t kMinOperations = 4 * 65536;
constexpr uint64_t operationsBudget(size_t tableBytes) {
  return scaledBound(tableBytes, kOperationsPerByte, kMinOperations);
}

// Records kept in the model (pairs of a pair set) are charged this many steps per byte
// they are read from. Without shared offsets they use at most a quarter of the budget;
// subtables that share one pair set's bytes can keep at most four times the records their
// table's bytes could hold, so memory stays a small multiple of the input. (Inside one
// subtable a shared set is read once; its copies are kept glyphs, below.)
inline constexpr uint64_t kStepsPerKeptByte = kOperationsPerByte / 4;
constexpr uint64_t keptRecordSteps(uint64_t records, uint64_t recordBytes) {
  return records * recordBytes * kStepsPerKeptByte;
}

// What the model keeps of a table read (anchors, mark and base records, ligatures,
// sequences, context rules, device entries) is counted by the bytes it takes in memory,
// apart from the operations budget: a record reached again through a shared offset costs
// its whole size again, so the model of a table stays within this many times its bytes.
// The floor leaves small tables room for what a few shared records may rightly hold.
inline constexpr uint64_t kKeptBytesPerByte = 64;
inline constexpr uint64_t kMinKeptBytes = uint64_t{1} << 20;
constexpr uint64_t keptBytesBudget(size_t tableBytes) {
  return scaledBound(tableBytes, kKeptBytesPerByte, kMinKeptBytes);
}
// A record the model keeps on the heap: its size and what the allocator adds to a block.
inline constexpr uint64_t kAllocationBytes = 16;
constexpr uint64_t heapBytes(uint64_t size) { return size + kAllocationBytes; }

// The glyphs that the lists of kept records hold, counted each time a list is kept:
// coverages expanded to their glyphs, class definitions, sequences, and every context
// position (a class that many rules name, or class 0 for all the font's other glyphs,
// counts at each use). A range of six bytes stands for 65,535 glyphs and shared offsets
// repeat it, so the kept bytes alone do not bound them; and the writers spell out each one
// (a name in the feature text, an element in the layout XML), about 80 bytes of their
// memory per glyph. Real fonts keep up to 12 glyphs per byte of a table (class-based
// context rules of an Indic font: two million glyphs from 166 KB), so the floor does most
// of the work: three million glyphs keep the model and either text within 256 MB.
inline constexpr uint64_t kKeptGlyphsPerByte = 3;
inline constexpr uint64_t kMinKeptGlyphs = 3'000'000;
constexpr uint64_t keptGlyphsBudget(size_t tableBytes) {
  return scaledBound(tableBytes, kKeptGlyphsPerByte, kMinKeptGlyphs);
}

// Writers give first glyphs with the same pairs one pair set: the reader reads it once and
// copies its pairs for each further glyph that shares it. A copy counts against the
// kept-glyphs bound as this many glyphs: its record in the model (about a hundred bytes)
// and its spelling in the layout XML document (a few hundred) take what eight glyphs of a
// list take. So a small subtable pointing thousands of first glyphs at one large set ends
// at the bound, while the tables the writers make, sharing sets of a few thousand pairs
// among hundreds of glyphs, read back.
inline constexpr uint64_t kGlyphsPerSharedPair = 8;

// What the language systems of a table keep: each language system, each feature it lists
// and each lookup index and parameter character of those. The writers spell every one out
// (a line of the layout XML, a statement of the feature text), and language systems that
// share one table, or list one feature again and again, would repeat them without end.
// Real fonts keep under one per ten bytes of their table, a few thousand in all; a million
// keeps the model and either text within about 100 MB.
inline constexpr uint64_t kFeatureEntriesPerByte = 1;
inline constexpr uint64_t kMinFeatureEntries = uint64_t{1} << 20;
constexpr uint64_t featureEntriesBudget(size_t inputBytes) {
  return scaledBound(inputBytes, kFeatureEntriesPerByte, kMinFeatureEntries);
}
// A language system or one of its features counts as this many entries: a map node in the
// model and several lines in either text.
inline constexpr uint64_t kEntriesPerFeatureNode = 8;

// A number the feature text spells out for a record the model keeps in two bytes (a GDEF
// attachment point: up to five digits and a space), charged as kept bytes at this size so
// that shared lists cannot make the text far larger than the model.
inline constexpr uint64_t kWrittenNumberBytes = 6;

// Windows opened inside windows (table, list, lookup, Extension, subtable, coverage...).
inline constexpr uint32_t kMaxNesting = 16;

// Notes one table read keeps (a glyph covered twice, ...); a hostile table says no more.
inline constexpr size_t kMaxReadNotes = 256;

// Largest table accepted for reading (and produced by writing).
inline constexpr size_t kMaxTableBytes = size_t{64} << 20;

// Glyph indices are 16 bits: a font with more glyphs gets no binary layout tables.
inline constexpr uint32_t kMaxGlyphCount = 65535;

// A 16-bit offset holds at most this distance; 65535 and more overflow.
inline constexpr uint32_t kMaxOffset16 = 65534;
// The farthest a 16-bit offset of the feature-file compiler reaches, 65535 included: the
// bound of every offset, subtable section and coverage or class section of the GSUB or
// GPOS table it builds; past it the compile fails.
inline constexpr uint32_t kMaxCompilerOffset16 = 65535;

// Lookups of a table, subtables of a lookup, and records of a list are 16-bit counts.
inline constexpr uint32_t kMaxCount16 = 65535;

// Positions of one sequence of a rule's context (backtrack, input or lookahead): what a
// 16-bit count holds, as the compiler may build rules that long; the bytes and the
// operations budget bound the work.
inline constexpr uint32_t kMaxContextGlyphs = 65535;

// Feature-file compiler input. Files open in the include stack: the main text and four
// nested includes.
inline constexpr int kMaxIncludeDepth = 5;

// Include statements followed in one compile. Each include closes its parent and opens
// it again afterwards, so a few small files including each other many times would
// otherwise make millions of opens.
inline constexpr std::uint32_t kMaxIncludeOpens = 10000;

// Bytes read from include files in one compile (a file read again after each of its
// includes counts again), and so also the largest include file.
inline constexpr std::uint64_t kMaxIncludeBytes = std::uint64_t{256} << 20;

// Memory of the compiler's glyph nodes alive at once: every glyph of a named class and of
// the rule being read takes one, and classes built of copies of classes grow them
// multiplicatively. Real feature files use a few tens of thousands; this many bytes (over
// two million nodes) keep a compile that reaches them, with the rest of the program,
// within 256 MB.
inline constexpr std::uint64_t kMaxGlyphNodeBytes = std::uint64_t{192} << 20;

// Named lookup blocks of one feature file: their labels are 13-bit numbers.
inline constexpr std::uint32_t kMaxNamedLookups = 8192;

// Tag registry text: characters of one field.
inline constexpr size_t kMaxRegistryField = 255;

}  // namespace ot::limits
