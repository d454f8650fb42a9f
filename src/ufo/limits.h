// Bounds on what a hostile UFO can make the reader do: nesting, list lengths that are
// checked element by element, and bytes read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ufo/layout_document.h"

namespace ufo {

// Property-list containers nested deeper than this are not built from parsed XML.
inline constexpr int kMaxPlistDepth = 256;

// Nodes (elements, attributes, texts) that the property lists of one UFO, and the trees
// built from them, may hold at once. Each costs about a hundred bytes however little
// text it stands for, so this bounds the reader's memory for lists of any shape; real
// fonts hold a few tens of thousands.
inline constexpr std::size_t kMaxPlistNodes = 800'000;

// Unicode values of one glyph: each new one is checked against the others.
inline constexpr std::size_t kMaxUnicodesPerGlyph = 256;

// Hints of one layer taken from a hint list (each new stem is compared with all).
inline constexpr std::size_t kMaxHintsPerLayer = 4096;

// TrueType zones or stems taken from one font hinting document, and steps of one of them.
inline constexpr std::size_t kMaxFontHintRecords = 4096;
inline constexpr std::size_t kMaxFontHintSteps = 1024;

// Folders inside "data" walked to name the files the native file leaves out; a deeper
// folder is named as it stands.
inline constexpr int kMaxDataFolderDepth = 32;

// Bytes of glyph files read for one font. Keys of "glyphs/contents.plist" may all name
// one large file; this bounds the work such a list can ask for, far above what real
// fonts need.
inline constexpr std::uint64_t kMaxGlyphFileBytes = std::uint64_t{4} << 30;

// Bytes of one glyph file: real ones hold a few kilobytes, a megabyte or so with large
// lib data. A larger file ends the read (before it is read or unpacked) instead of
// taking memory a whole font's worth at a time.
inline constexpr std::uint64_t kMaxOneGlyphFileBytes = std::uint64_t{64} << 20;

// Bytes of one member read whole: each property list, "features.fea" (the compiler
// holds the text twice) and the layout XML document. Far above real fonts.
inline constexpr std::uint64_t kMaxPropertyListBytes = std::uint64_t{512} << 20;
inline constexpr std::uint64_t kMaxFeatureTextBytes = std::uint64_t{256} << 20;
inline constexpr std::uint64_t kMaxLayoutDocumentBytes = std::uint64_t{512} << 20;

// The most bytes the reader takes from a member of the folder ("features.fea",
// "glyphs/a.glif"), so that an archive can refuse a larger entry before unpacking it.
// Members the reader does not read have no bound of their own.
constexpr std::uint64_t memberByteLimit(std::string_view member) {
  if (member == "features.fea") return kMaxFeatureTextBytes;
  if (member == kLayoutDocumentMember) return kMaxLayoutDocumentBytes;
  if (member.ends_with(".plist")) return kMaxPropertyListBytes;
  if (member.ends_with(".glif")) return kMaxOneGlyphFileBytes;
  return UINT64_MAX;
}

}  // namespace ufo
