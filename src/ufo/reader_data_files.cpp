// The "data" folder holds files for other tools, the "images" folder the images of glyphs
// (UFO 3); the native file has no place for them, so a conversion names what it leaves
// behind.
#include <string>

#include "platform/file_system.h"
#include "ufo/layout_document.h"
#include "ufo/limits.h"
#include "ufo/parser.h"
#include "ufo/reader_font.h"

namespace ufo {
namespace {

constexpr const char* kDataFolder = "data";
constexpr const char* kImagesFolder = "images";

// Names each file under the member `folder` as the UFO names it ("data/com.x/notes.txt");
// a folder that cannot be listed, or lies too deep, is named as it stands.
template <class Name>
void walk(Parser& parser, const std::string& folder, int depth, Name&& name) {
  const auto entries = vn::listFolder(parser.resolve(folder));
  if (!entries || depth >= kMaxDataFolderDepth) {
    name(folder + "/");
    return;
  }
  for (const vn::FolderEntry& entry : *entries) {
    const std::string member = folder + "/" + entry.name;
    if (member == kLayoutDocumentMember) continue;  // read with -ttx
    if (entry.isFolder) {
      walk(parser, member, depth + 1, name);
    } else {
      name(member);
    }
  }
}

}  // namespace

void UfoFontParser::noteDataFiles() {
  if (parser_->memberKind(kDataFolder) != vn::PathKind::kFolder) return;
  walk(*parser_, kDataFolder, 0, [this](const std::string& file) {
    warnings_.list(warning::kDataFiles, warning::notCarried(warning::kDataFilesWhat), file);
  });
}

void UfoFontParser::noteImageFiles() {
  if (parser_->memberKind(kImagesFolder) != vn::PathKind::kFolder) return;
  const std::string prefix = std::string(kImagesFolder) + "/";
  walk(*parser_, kImagesFolder, 0, [&](const std::string& file) {
    if (glyphParser_.usedImages().count(file.substr(prefix.size())) != 0) return;
    warnings_.list(warning::kImageFiles, warning::notCarried(warning::kImageFilesWhat), file);
  });
}

}  // namespace ufo
