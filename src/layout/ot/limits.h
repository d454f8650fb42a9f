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
// subtable a shared set is read once; its copies count against the model's budget, below.)
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

// The budget of records the layout model of a font may hold, its GSUB and GPOS together (the
// layout XML reader gives one document the whole of it): every glyph of a kept list
// (coverages expanded to their glyphs, class definitions, sequences, every context position,
// each class pair's two classes) counts one, each time it is kept, and every glyph pair
// counts kRecordsPerPair. The binary reader, the layout XML reader and the feature-file
// compiler all charge against it, and a lookup that would pass it is refused with a line
// naming the lookup and the budget. It does not grow with the input: a table written with
// shared pair sets or offsets is smaller than the model it holds, and whatever the model
// holds within the budget must read back from every writer's output. Real fonts keep up to
// two million (class-based context rules of an Indic font); three million keep the model
// and the writers' output (the layout XML document, about 150 bytes a pair, held twice by
// the UFO writer) within 256 MB.
inline constexpr uint64_t kMaxModelRecords = 3'000'000;
// A glyph pair: its record in the model (about a hundred bytes), its line of feature text
// and its element of the layout XML (a few hundred bytes) take what seven glyphs of a list
// take. So 428,000 glyph pairs fit, a pair set of 613 shared by 613 first glyphs among them.
inline constexpr uint64_t kRecordsPerPair = 7;
constexpr uint64_t pairRecords(uint64_t pairs) { return pairs * kRecordsPerPair; }

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
// multiplicatively. The rule records a builder keeps until it builds their lookup (a glyph
// of a class may become one) count against the same bytes. Real feature files use a few
// tens of thousands; this many bytes (over two million nodes) keep a compile that reaches
// them, with the rest of the program, within 256 MB.
inline constexpr std::uint64_t kMaxGlyphNodeBytes = std::uint64_t{192} << 20;

// Named lookup blocks of one feature file: their labels are 13-bit numbers.
inline constexpr std::uint32_t kMaxNamedLookups = 8192;

// Tag registry text: characters of one field.
inline constexpr size_t kMaxRegistryField = 255;

}  // namespace ot::limits
