// UFO folder or ".ufoz" archive to one native file.
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>

#include "app/archive.h"
#include "app/driver.h"
#include "app/limits.h"
#include "app/messages.h"
#include "model/font_style_pair.h"
#include "native/writer.h"
#include "platform/file_system.h"
#include "ufo/limits.h"
#include "ufo/parser.h"
#include "ufo/plist_node.h"

namespace {

// The import options the UFO reader gets: the layout XML switch from "-ttx", features.fea
// compiled rather than kept as text.
vn::ImportOptions ufoImportOptions(bool ttx) {
  vn::ImportOptions options;
  options.setDefaults();
  options.bytes[1] = ttx ? 1 : 0;
  options.bytes[2] = 0;
  return options;
}

// The unpacked UFO folder: the one named after the archive, or else the archive's only
// top-level ".ufo" folder.
std::string unpackedUfoFolder(const std::string& container, const std::string& archiveName) {
  const std::string expected = container + "/" + archiveName + ".ufo";
  if (vn::isDirectory(expected)) return expected;
  const auto entries = vn::listFolder(container);
  if (entries && entries->size() == 1 && entries->front().isFolder &&
      PathParts(entries->front().name).hasExtension(".ufo", ".ufo"))
    return container + "/" + entries->front().name;
  return expected;
}

// Where the relative include names of "features.fea" are looked up: beside the UFO first,
// where build tools look and sources keep shared files, then inside it. For an archive,
// "beside" is the archive's folder; then come the unpacked folder that holds the UFO, where
// "Fam.ufo/tables.fea" names the UFO's own member as it does beside a UFO folder, and the
// UFO. The unpacked folders serve only names that stay inside them: their parent is the
// output folder, which is no part of the input. Messages name them inside the archive.
vn::IncludeFolders includeFolders(const std::string& typedInput, const std::string& ufoPath, bool archive) {
  const std::string absoluteInput = vn::absolutePath(typedInput).value_or(typedInput);
  vn::IncludeFolders folders;
  folders.push_back({PathParts(absoluteInput).folder, {}, false});
  if (!archive) {
    folders.push_back({absoluteInput, {}, false});
    return folders;
  }
  const PathParts ufo(ufoPath.substr(0, ufoPath.find_last_not_of('/') + 1));
  folders.push_back({ufo.folder, absoluteInput, true});
  folders.push_back({ufoPath, absoluteInput + "/" + ufo.prefixed(""), true});
  return folders;
}

// Holds the folder an archive is unpacked into and removes it in every case.
class UnpackFolder {
 public:
  explicit UnpackFolder(std::string path) : path_(std::move(path)) {}
  ~UnpackFolder() { vn::removeQuietly(path_); }
  UnpackFolder(const UnpackFolder&) = delete;
  UnpackFolder& operator=(const UnpackFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Writes the native file under a temporary name and moves it into place.
int writeNative(RunContext& run, FontStylePair& pair, const std::string& outputPath) {
  const std::string temporary =
      vn::uniqueTemporaryPath(run.outParts.folder, run.outParts.name + ".qtf");
  bool written = false;
  std::string failure;  // the writer's reason, when the font is the cause
  try {
    std::fstream stream;
    vn::openFileStream(stream, temporary,
                       std::ios::in | std::ios::out | std::ios::trunc | std::ios::binary);
    if (stream.is_open()) {
      pair.font->rebuildGlyphIndex();
      qtf::Writer writer;
      const uint8_t optionByte = 1;
      // The writer flushes its stream after every glyph: kept in memory, the file takes
      // one write instead of a system call per glyph.
      std::stringstream buffer(std::ios::in | std::ios::out | std::ios::binary);
      written = writer.write(pair, &optionByte, &buffer);
      failure = writer.failure();
      for (const std::string& line : writer.warnings()) run.console.line(msg::warning(line));
      const std::string_view bytes = buffer.view();
      stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      stream.flush();
      written = written && stream.good();
      stream.close();
      written = written && !stream.fail();
    }
  } catch (...) {
    vn::removeQuietly(temporary);
    run.console.text(msg::nativeWriteException(outputPath));
    return msg::kConversionFailure;
  }
  if (!written || !vn::movePath(temporary, outputPath)) {
    vn::removeQuietly(temporary);
    run.console.line(msg::cannotWriteNative(outputPath));
    if (!failure.empty()) run.console.line(failure);
    return msg::kConversionFailure;
  }
  run.writtenPaths.push_back(outputPath);
  return msg::kSuccess;
}

}  // namespace

int convertUfo(RunContext& run) {
  const std::string outputPath = run.outParts.withKindExtension(PathParts::kNative);
  if (vn::isDirectory(outputPath)) {
    run.console.line(msg::outputIsFolder(outputPath));
    return msg::kFailure;
  }
  if (vn::pathKind(outputPath) == vn::PathKind::kSpecial) {
    run.console.line(msg::outputNotRegularFile(outputPath));
    return msg::kFailure;
  }
  if (vn::fileExists(outputPath) && !run.line.forceOverwrite) {
    run.console.line(msg::outputExists(outputPath));
    return msg::kFailure;
  }

  PathParts inputParts = run.inputParts;
  std::optional<UnpackFolder> unpacked;
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  vn::Ref<vn::Style> style = vn::Ref<vn::Style>::adopt(new vn::Style());
  FontStylePair pair(style.get(), font.get());
  bool read = false;
  try {
    if (inputParts.hasExtension(".ufoz", ".ufoz")) {
      unpacked.emplace(vn::uniqueTemporaryPath(run.outParts.folder, ""));
      vn::makeFolder(unpacked->path());
      const vn::ArchiveStatus status =
          vn::unpackArchive(run.source, unpacked->path(), run.displayName);
      if (!status.ok()) {
        run.console.line(status.message);
        return status.exitCode;
      }
      for (const std::string& warning : status.warnings) run.console.line(warning);
      inputParts.split(unpackedUfoFolder(unpacked->path(), inputParts.name));
    }
    std::string ufoPath = inputParts.fullPath();
    if (!ufoPath.empty() && ufoPath.back() != '/') ufoPath.push_back('/');

    font->layout.setIncludeFolders(includeFolders(run.line.inputPath, ufoPath, unpacked.has_value()));
    ufo::Parser parser;
    parser.setPlistNodeLimit(unpacked ? vn::plistNodeLimit(run.source.size(), ufo::kMaxPlistNodes)
                                      : std::numeric_limits<std::size_t>::max());
    ufo::PListNode libRoot(ufo::plist::kDict, std::string(), std::string());
    const vn::ImportOptions options = ufoImportOptions(run.line.ttx);
    read = parser.read(pair, &libRoot, ufoPath, &options);
  } catch (const vn::FolderCreationError& error) {
    run.console.error(error.what());
    return msg::kFolderCreationFailure;
  } catch (...) {
    run.console.line(msg::kImportException);
    return msg::kConversionFailure;
  }
  if (unpacked) {
    vn::removeFolder(inputParts.fullPath(), run.console.out());
    unpacked.reset();
  }
  if (!read) {
    run.console.text(msg::ufoReadProblem(inputParts.name));
    return msg::kUfoReadFailure;
  }

  const int code = writeNative(run, pair, outputPath);
  run.printLayoutWarnings(*font);
  if (code != msg::kSuccess) return code;
  run.listWrittenPaths();
  return msg::kSuccess;
}
