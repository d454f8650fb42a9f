// "glyphs/contents.plist" and the glyph files it names, in glyph order.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/object.h"
#include "platform/files.h"
#include "ufo/glyph_file_loader.h"
#include "ufo/glyph_lib_parsers.h"
#include "ufo/limits.h"
#include "ufo/parser.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_font.h"
#include "ufo/reader_text.h"

namespace ufo {
namespace {

// Releases a glyph that did not go into the font.
struct GlyphRef {
  vn::Glyph* glyph = nullptr;
  explicit GlyphRef(vn::Glyph* g) : glyph(g) {}
  GlyphRef(GlyphRef&& other) noexcept : glyph(other.glyph) { other.glyph = nullptr; }
  GlyphRef& operator=(GlyphRef&& other) noexcept {
    std::swap(glyph, other.glyph);
    return *this;
  }
  ~GlyphRef() {
    if (glyph) glyph->release();
  }
  vn::Glyph* take() { return std::exchange(glyph, nullptr); }
};

}  // namespace

bool isSafeGlyphFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || c == '\0') return false;
  }
  return true;
}

void UfoFontParser::checkFileNamesUnique(const std::vector<std::string>& keys,
                                         const std::vector<std::string>& fileNames) {
  // No writer lists one file for two glyphs: one of them would stand for the other.
  // Names count as the same only byte for byte, as the file system of the writer may
  // have told letter cases apart.
  std::unordered_map<std::string_view, std::size_t> firstGlyph;
  firstGlyph.reserve(fileNames.size());
  for (std::size_t i = 0; i < fileNames.size(); ++i) {
    const auto [found, added] = firstGlyph.emplace(fileNames[i], i);
    if (!added) throw MemberError::sharedGlyphFile(fileNames[i], keys[found->second], keys[i]);
  }
}

void UfoFontParser::applyGlyphs() {
  storeTtHinting(style_, font_);
  std::int32_t next = static_cast<std::int32_t>(font_->glyphCount());
  std::unordered_map<std::string, GlyphRef> byName;
  if (!glyphOrder_.empty()) byName.reserve(glyphOrder_.size());
  const bool ordered = !glyphOrder_.empty();
  // Glyph-name ids in glyph order (naming a glyph registers its name): classes keep
  // their members in id order, and the native reader numbers names in glyph order too,
  // so members keep one order through a round trip.
  if (ordered) otl::glyphNameRegistry().registerNames(glyphOrder_);

  // The list's text is taken out and its document let go before the glyphs load, so
  // the two are never in memory together. An entry that is not a string still fails
  // the read when the loop reaches it.
  std::vector<std::string> keys;
  std::vector<std::string> fileNames;
  bool badEntry = false;
  {
    std::vector<PListEntry> entries = dictEntries(contents_.rootDict());
    keys.reserve(entries.size());
    fileNames.reserve(entries.size());
    for (PListEntry& entry : entries) {
      if (elementName(entry.value) != "string") {
        badEntry = true;
        break;
      }
      keys.push_back(std::move(entry.key));
      fileNames.push_back(elementText(entry.value));
    }
  }
  contents_.clear();
  checkFileNamesUnique(keys, fileNames);

  GlyphFileLoader loader([this](const std::string& member, vn::InputFile& file) { return parser_->openInput(member, file); },
                         std::move(fileNames), kMaxGlyphFileBytes);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string name = modelText(keys[i], &warnings_);
    GlyphFileLoader::Result file = loader.next();
    if (file.outcome == GlyphFileLoader::Outcome::kUnsafeName) {
      warnings_.report(warning::kUnsafeGlyphFile + (":" + name),
                       "glyph \"" + name + "\" skipped: its file name \"" + loader.fileName(i) +
                           "\" in glyphs/contents.plist leaves the glyphs folder");
      continue;
    }
    if (file.outcome == GlyphFileLoader::Outcome::kMissing) {
      warnings_.list(warning::kMissingGlyphFile, "glyphs listed in glyphs/contents.plist without their file are left out",
                     name);
      continue;
    }
    // A glyph file that is there but cannot be taken fails the read, as any other file does.
    const std::string member = "glyphs/" + loader.fileName(i);
    switch (file.outcome) {
      case GlyphFileLoader::Outcome::kUnopenable:
        throw MemberError::cannotOpen(member, file.error);
      case GlyphFileLoader::Outcome::kNotRegular:
        throw MemberError::notRegularFile(member);
      case GlyphFileLoader::Outcome::kTooLarge:
        throw MemberError::tooLarge(member, kMaxOneGlyphFileBytes);
      case GlyphFileLoader::Outcome::kUnreadable:
        throw MemberError::cannotRead(member, file.error);
      default:
        break;
    }
    if (file.outcome == GlyphFileLoader::Outcome::kOverLimit) {
      warnings_.report(warning::kGlyphBytes, "glyph files beyond " + std::to_string(kMaxGlyphFileBytes >> 30) +
                                                 " GiB in total are not read (first left out: \"" + name + "\")");
      continue;
    }
    GlyphRef glyph(new vn::Glyph());
    glyph.glyph->setName(name);
    const bool parsed = file.recorded ? glyphParser_.parse(file.recording, glyph.glyph)
                                      : glyphParser_.parse(std::string_view(file.text), glyph.glyph);
    if (!parsed) {
      warnings_.report(std::string(warning::kBadGlyphFile) + ":" + name,
                       "glyph \"" + name + "\" skipped: its file is not well-formed XML (" +
                           glyphParser_.errorMessage() + ")");
      continue;
    }
    if (ordered) {
      byName.insert_or_assign(name, std::move(glyph));
    } else {
      glyph.glyph->index = next++;
      font_->appendGlyph(glyph.take());
    }
  }
  if (badEntry) throw UfoParserException{UfoParserException::kPropertyList};
  if (!ordered) return;
  for (const std::string& name : glyphOrder_) {
    auto found = byName.find(name);
    if (found == byName.end()) continue;
    found->second.glyph->index = next++;
    font_->appendGlyph(found->second.take());
    byName.erase(found);
  }
  // Glyphs the order leaves out follow in name order.
  std::vector<std::pair<const std::string*, GlyphRef*>> rest;
  rest.reserve(byName.size());
  for (auto& [name, glyph] : byName) rest.emplace_back(&name, &glyph);
  std::sort(rest.begin(), rest.end(), [](const auto& a, const auto& b) { return *a.first < *b.first; });
  for (auto& [name, glyph] : rest) {
    glyph->glyph->index = next++;
    font_->appendGlyph(glyph->take());
  }
}

}  // namespace ufo
