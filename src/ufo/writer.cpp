#include "ufo/writer.h"

#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/first_few.h"
#include "model/font.h"
#include "model/style.h"
#include "platform/file_system.h"
#include "platform/path_parts.h"
#include "ufo/fontinfo_writer.h"
#include "ufo/glif_writer.h"
#include "ufo/glyph_file_names.h"
#include "ufo/layout_document.h"
#include "ufo/lib_writer.h"
#include "ufo/numeric_locale.h"
#include "ufo/text_encoding.h"
#include "ufo/written_glyphs.h"

namespace ufo {

namespace {

constexpr std::string_view kCreator = "com.quorvel.ufoLib";
constexpr std::string_view kPlistHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n";
constexpr std::string_view kPlistFooter = "</dict>\n</plist>\n";

// Console lines of the writer.
constexpr std::string_view kWarningPrefix = "Warning: ";
constexpr std::string_view kFontInfoLeftOutLine =
    "fontinfo values that the UFO format does not allow are left out: ";
constexpr std::string_view kLayoutExceptionPrefix = "Layout exception: ";
constexpr std::string_view kLayoutExceptionSeparator = " --- ";

// A key line of text already escaped.
void appendEscapedKeyLine(std::string& out, std::string_view indent, std::string_view escapedKey) {
  out += indent;
  out += "<key>";
  out += escapedKey;
  out += "</key>\n";
}

void appendKeyLine(std::string& out, std::string_view indent, const std::string& key) {
  appendEscapedKeyLine(out, indent, escapeXmlText(key));
}

// A name -> node index over the glyph dicts of the lib branch.
std::unordered_map<std::string, const PListNode*> indexGlyphLibs(const PListNode* branch) {
  std::unordered_map<std::string, const PListNode*> index;
  if (!branch) return index;
  for (const PListNode* node = branch->firstChild(); node; node = node->next()) {
    if (node->type() == plist::kDict) index.emplace(node->key(), node);  // the first one wins
  }
  return index;
}

}  // namespace

class Writer::Impl {
 public:
  bool write(FontStylePair& pair, const std::string& folder, const WriterOptions* options, PListNode* libRoot) {
    if (!pair.font || !pair.style) return false;
    font_ = pair.font;
    style_ = pair.style;
    options_ = options ? *options : WriterOptions{};
    folder_ = folder;
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
    libRoot_ = libRoot;
    glyphBranch_ = libRoot ? libRoot->findChild(plist::kDict, libkey::kGlyphBranch) : nullptr;

    std::vector<std::string> warnings;
    glyphs_ = writtenGlyphs(*font_, &warnings);
    for (const std::string& warning : warnings) {
      std::cout << kWarningPrefix << warning << '\n' << std::flush;
    }

    return writeMetaInfo() && writeFontInfo() && writeGroups() && writeKerning() && writeLib() &&
           writeFeatures() && writeGlyphs();
  }

 private:
  // Writes one member; only names that stay inside the folder are accepted.
  bool writeMember(const std::string& member, std::string_view text) {
    if (!vn::isSafeMemberName(member)) return false;
    const std::string path = folder_ + member;
    // Each member folder is made (or found) once.
    const std::string memberFolder = member.substr(0, member.find_last_of('/') + 1);
    if (!memberFolder.empty() && !readyFolders_.count(memberFolder)) {
      if (!vn::ensureFolderOf(path)) return false;
      readyFolders_.insert(memberFolder);
    }
    std::ofstream out;
    if (!vn::openOutputFile(out, path)) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
  }

  bool writeMetaInfo() {
    std::string text(kPlistHeader);
    text += "  <key>creator</key>\n  <string>";
    text += kCreator;
    text += "</string>\n  <key>formatVersion</key>\n  <integer>";
    text += std::to_string(options_.formatVersion);
    text += "</integer>\n";
    text += kPlistFooter;
    return writeMember("metainfo.plist", text);
  }

  bool writeFontInfo() {
    std::string text(kPlistHeader);
    std::vector<std::string> leftOut;
    FontInfoWriter(font_, style_).appendKeys(text, &leftOut);
    text += kPlistFooter;
    if (!leftOut.empty()) {
      std::cout << kWarningPrefix << kFontInfoLeftOutLine << vn::firstFewWithCount(leftOut) << '\n' << std::flush;
    }
    return writeMember("fontinfo.plist", text);
  }

  bool writeGroups() {
    vn::LayoutGroupList groups;
    font_->gatherLayoutList(groups);
    std::string text;
    std::unordered_set<std::string> written;
    for (const vn::LayoutClassEntry& group : groups) {
      // A group needs a name, and a name can stand only once in the dict (names
      // that differ only in bytes the escaping turns into blanks count as one).
      if (group.name.empty() || !group.group) continue;
      std::string key = escapeXmlText(group.name);
      if (!written.insert(key).second) continue;
      appendEscapedKeyLine(text, "  ", key);
      text += "  <array>\n";
      for (vn::GlyphId id : group.group->members()) {
        const std::string& member = otl::glyphNameById(id);
        if (member.empty()) continue;  // an id without a glyph name
        text += "    <string>";
        text += escapeXmlText(member);
        text += "</string>\n";
      }
      text += "  </array>\n";
    }
    if (written.empty()) return true;
    return writeMember("groups.plist", std::string(kPlistHeader) + text + std::string(kPlistFooter));
  }

  // One dict per first-side name: pairs are walked from the last to the first, a
  // name met again (a glyph and a kerning class of the same name) adds to its dict,
  // and a second name keeps the first value it is given. Names are compared as
  // written (escaped), so that no key stands twice in the file.
  bool writeKerning() {
    const vn::KerningPairMap& pairs = font_->kerning().pairs;
    struct FirstSide {
      std::string name;  // escaped
      std::vector<std::pair<std::string, double>> seconds;
      std::unordered_set<std::string> secondNames;
    };
    std::vector<FirstSide> sides;
    std::unordered_map<std::string, size_t> sideIndex;
    for (auto it = pairs.rbegin(); it != pairs.rend(); ++it) {
      const std::string firstName = it->first.first.name();
      const std::string secondName = it->first.second.name();
      if (firstName.empty() || secondName.empty()) continue;
      std::string first = escapeXmlText(firstName);
      std::string second = escapeXmlText(secondName);
      auto [position, added] = sideIndex.emplace(first, sides.size());
      if (added) sides.push_back(FirstSide{std::move(first), {}, {}});
      FirstSide& side = sides[position->second];
      if (side.secondNames.insert(second).second) side.seconds.emplace_back(std::move(second), it->second);
    }
    if (sides.empty()) return true;

    std::string text(kPlistHeader);
    for (const FirstSide& side : sides) {
      appendEscapedKeyLine(text, "  ", side.name);
      text += "  <dict>\n";
      for (const auto& [second, value] : side.seconds) {
        appendEscapedKeyLine(text, "    ", second);
        text += "    ";
        text += writePlistNumber(value);
        text += '\n';
      }
      text += "  </dict>\n";
    }
    text += kPlistFooter;
    return writeMember("kerning.plist", text);
  }

  bool writeLib() {
    const bool rootEmpty = !libRoot_ || !libRoot_->firstChild();
    if (rootEmpty && style_->lib.empty()) return true;
    std::string text(kPlistHeader);
    for (const auto& [key, entry] : style_->lib) {
      appendKeyLine(text, "    ", key);
      text += entry;
      if (!entry.empty() && entry.back() != '\n') text += '\n';
    }
    if (libRoot_) {
      for (const PListNode* child = libRoot_->firstChild(); child; child = child->next()) {
        if (child->key() == libkey::kGlyphBranch) continue;
        child->appendXml(text, 2, true, false);
      }
    }
    text += kPlistFooter;
    return writeMember("lib.plist", text);
  }

  bool writeFeatures() {
    vn::FontLayout& layout = font_->layout;
    const bool keptText = !layout.layoutIfAny() && !layout.featureText().empty();
    if (!layout.hasFeatures() && !layout.hasFeatureData() && !keptText) return true;

    // A text stream fails when its buffer cannot grow: what it holds is then cut off, and
    // the write fails rather than leave a truncated file.
    std::ostringstream features;
    if (!layout.exportFeatures(features, vn::FeatureWriteOptions{}) || features.fail()) return false;
    if (!writeMember("features.fea", features.str())) return false;

    if (options_.ttx) {
      std::ostringstream document;
      bool written = false;
      try {
        written = layout.forwardToLayout(document, true, false);
      } catch (const LayoutAssertException& error) {
        std::cout << kLayoutExceptionPrefix << error.text() << kLayoutExceptionSeparator << error.number() << '\n'
                  << std::flush;
        return true;
      } catch (const std::bad_alloc&) {
        return false;  // a document that did not fit in memory is a failed write, not one left out
      } catch (...) {
        return true;
      }
      if (document.fail()) return false;
      // A document the layout could not write, or an empty one, is not written: no
      // ill-formed file.
      const std::string text = document.str();
      if (written && !text.empty() && !writeMember(kLayoutDocumentMember, text)) return false;
    }
    return true;
  }

  bool writeGlyphs() {
    const auto glyphLibs = indexGlyphLibs(glyphBranch_);
    GlyphFileNames fileNames;
    GlifWriter glif;
    std::string contents(kPlistHeader);
    for (const WrittenGlyph& written : glyphs_) {
      const std::string fileName = fileNames.assign(written.name);
      auto lib = glyphLibs.find(written.name);
      const PListNode* libEntries = lib == glyphLibs.end() ? nullptr : lib->second;
      if (!writeMember("glyphs/" + fileName, glif.glifText(*written.glyph, written.name, libEntries))) {
        return false;
      }
      appendKeyLine(contents, "  ", written.name);
      contents += "  <string>";
      contents += escapeXmlText(fileName);
      contents += "</string>\n";
    }
    contents += kPlistFooter;
    return writeMember("glyphs/contents.plist", contents);
  }

  vn::Font* font_ = nullptr;
  vn::Style* style_ = nullptr;
  WriterOptions options_;
  std::string folder_;
  PListNode* libRoot_ = nullptr;
  const PListNode* glyphBranch_ = nullptr;
  std::vector<WrittenGlyph> glyphs_;
  std::unordered_set<std::string> readyFolders_;
};

Writer::Writer() : impl_(std::make_unique<Impl>()) {}
Writer::~Writer() = default;

void Writer::prepareLib(FontStylePair& pair, const WriterOptions* options, PListNode* libRoot) {
  if (!pair.font || !pair.style || !libRoot) return;
  NumericLocaleScope locale;
  buildLib(*pair.font, *pair.style, options && options->base64, *libRoot);
}

void Writer::addGlyphOrder(FontStylePair& pair, PListNode* libRoot) {
  if (!pair.font || !libRoot) return;
  appendGlyphOrder(*pair.font, *libRoot);
}

bool Writer::write(FontStylePair& pair, const std::string& folder, const WriterOptions* options,
                   PListNode* libRoot) {
  NumericLocaleScope locale;
  return impl_->write(pair, folder, options, libRoot);
}

}  // namespace ufo
