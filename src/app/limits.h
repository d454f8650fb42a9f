// Bounds on what a hostile input can make the driver do. Constants only.
#pragma once

#include <cstdint>

namespace vn {

// Total of unpacked bytes accepted from one archive, however large the archive.
inline constexpr std::uint64_t kMaxUnpackedBytes = std::uint64_t{4} << 30;

// An archive unpacks to at most this many times its own size. Real UFOs zipped unpack to
// 1.6 to 7 times their archive, the program's own "-z -ttx" output to at most about 12
// (long kerning text); a single member (a feature file, a kerning list) reaches 26. Far
// past that lie archives built to unpack to hundreds of megabytes.
inline constexpr std::uint64_t kMaxUnpackRatio = 32;

// A small archive may unpack to this many bytes whatever its ratio (it decides below
// 256 KiB of archive): a font of a few glyphs or a test font may compress better than real
// ones. This much of the costliest member, a property list held at about 19 times its
// text, takes some 160 MB.
inline constexpr std::uint64_t kMinUnpackBudget = std::uint64_t{8} << 20;

// Bytes an archive of `archiveBytes` may unpack to.
constexpr std::uint64_t unpackBudget(std::uint64_t archiveBytes) {
  if (archiveBytes > kMaxUnpackedBytes / kMaxUnpackRatio) return kMaxUnpackedBytes;
  const std::uint64_t byRatio = archiveBytes * kMaxUnpackRatio;
  return byRatio > kMinUnpackBudget ? byRatio : kMinUnpackBudget;
}

// Property-list nodes (elements, attributes, texts: about a hundred bytes each, however
// little text they stand for) that a UFO unpacked from an archive may hold at once: one
// a byte of the archive, and at least the UFO reader's own bound. A folder's lists are
// read without this bound: what they cost follows their own bytes.
constexpr std::uint64_t plistNodeLimit(std::uint64_t archiveBytes, std::uint64_t readerBound) {
  return archiveBytes > readerBound ? archiveBytes : readerBound;
}

}  // namespace vn
