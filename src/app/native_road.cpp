// Native file to UFO: one UFO folder (or ".ufoz" archive) per font of the native file.
#include <istream>
#include <list>
#include <memory>

#include "app/archive.h"
#include "app/driver.h"
#include "app/messages.h"
#include "model/font_style_pair.h"
#include "model/numbers.h"
#include "native/parser.h"
#include "platform/file_system.h"
#include "platform/input_file_stream.h"
#include "ufo/plist_node.h"
#include "ufo/writer.h"

namespace {

// The import options the native reader gets: no autohint, no compile path.
vn::ImportOptions nativeImportOptions() {
  vn::ImportOptions options;
  options.setDefaults();
  options.bytes[1] = 0;
  return options;
}

void rewind(std::istream& input) {
  input.clear();
  input.seekg(0);
}

// Reads every master into its own pair; a master that cannot be read is reported by its
// number and name and counted in `failed`. Returns false after printing when the file is
// not a native file.
bool readMasters(RunContext& run, std::istream& input, std::list<FontStylePair>& pairs, int& failed) {
  int32_t count = 0;
  {
    qtf::Parser counter(nullptr, &input);
    count = counter.masterCount();
  }
  if (count < 0) {
    run.console.line(msg::notNativeFile(run.line.inputPath));
    return false;
  }
  const vn::ImportOptions options = nativeImportOptions();
  for (int32_t master = 0; master < count; ++master) {
    vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
    vn::Ref<vn::Style> style = vn::Ref<vn::Style>::adopt(new vn::Style());
    FontStylePair pair(style.get(), font.get());
    // Include names of the file's feature text resolve against the file's folder.
    const std::string& inputPath = run.line.inputPath;
    font->layout.setSourceFolder(PathParts(vn::absolutePath(inputPath).value_or(inputPath)).folder);
    rewind(input);
    qtf::Parser parser(&pair, &input);
    if (!parser.parse(master, &options)) {
      const vn::FontNames& names = style->names;
      const std::string& name = !names.fullName.empty() ? names.fullName : names.fontName;
      run.console.line(msg::masterUnreadable(master + 1, count, name.empty() ? "unnamed" : name, run.displayName,
                                             parser.failurePlace()));
      ++failed;
      continue;
    }
    font->fileInfo.sourceKind = vn::FileInfo::kNativeSource;
    font->fileInfo.path = run.line.inputPath;
    style->fileInfo = font->fileInfo;
    if (count > 1) parser.applyMaster(style.get(), master);
    // The name-table map of the native record block stays with the native file.
    style->tables.nameMap2.clear();
    style->tables.nameValue = 0;
    pairs.push_back(pair);
  }
  return true;
}

void printFontList(RunContext& run, const std::list<FontStylePair>& pairs, bool extended) {
  for (const FontStylePair& pair : pairs) {
    std::string text = pair.style->names.fullName + ";";
    if (extended) {
      text += vn::formatInteger(pair.style->fileInfo.sourceKind) + ";";
      text += PathParts(pair.font->fileInfo.path).prefixed("") + ";";
    }
    text += vn::formatUnsigned(pair.font->glyphCount());
    run.console.line(text);
  }
}

// kFailed goes on with the next font; the last two end the run (kOutputExists: something
// that is not to be replaced stands at the target).
enum class FontOutcome { kWritten, kFailed, kOutputExists, kNoFolder };

// Writes one font.
FontOutcome writeFont(RunContext& run, FontStylePair& pair) {
  const bool zipped = run.line.zipped;
  const std::string target =
      run.outParts.withKindExtension(zipped ? PathParts::kUfoz : PathParts::kUfo);
  const bool targetExists = vn::pathExists(target);
  if (vn::pathKind(target) == vn::PathKind::kSpecial) {
    run.console.line(msg::outputNotRegularFile(target));
    return FontOutcome::kOutputExists;
  }
  if (targetExists && !run.line.forceOverwrite) {
    run.console.line(msg::outputExists(target));
    return FontOutcome::kOutputExists;
  }
  if (!zipped && targetExists && !vn::isDirectory(target)) {
    run.console.line(msg::cannotCreateUfoFolder(target));
    return FontOutcome::kNoFolder;
  }

  // The folder is written under a temporary name beside the target and moved into place
  // (or packed) only when complete.
  const std::string ufoName = run.outParts.name + ".ufo";
  const std::string folder = vn::uniqueTemporaryPath(run.outParts.folder, ufoName);
  if (vn::makeDirectory(folder) != 0) {
    run.console.line(msg::cannotCreateUfoFolder(target));
    return FontOutcome::kNoFolder;
  }
  bool written = false;
  try {
    ufo::Writer writer;
    ufo::PListNode libRoot(ufo::plist::kDict, std::string(), std::string());
    ufo::WriterOptions options;
    options.formatVersion = 2;
    options.ttx = run.line.ttx ? 1 : 0;
    options.base64 = run.line.base64 ? 1 : 0;
    writer.prepareLib(pair, &options, &libRoot);
    writer.addGlyphOrder(pair, &libRoot);
    written = writer.write(pair, folder + "/", &options, &libRoot);
  } catch (...) {
    written = false;
  }
  if (!written) {
    vn::removeQuietly(folder);
    run.console.line(msg::cannotExportFont(target));
    return FontOutcome::kFailed;
  }

  if (zipped) {
    const vn::ArchiveStatus packed = vn::packFolder(target, folder, ufoName);
    if (!packed.ok()) {
      run.console.line(packed.message);
      run.writtenPaths.push_back(folder);  // the folder stays, under its temporary name
      return FontOutcome::kFailed;
    }
    vn::removeFolder(folder, run.console.out());
    run.writtenPaths.push_back(target);
    return FontOutcome::kWritten;
  }
  // With "-fo" the old output is moved aside, not removed, until the new one is in place:
  // a failed move then puts it back.
  std::string aside;
  if (targetExists) {
    aside = vn::uniqueTemporaryPath(run.outParts.folder, ufoName);
    if (!vn::movePath(target, aside)) {
      aside.clear();
      vn::removeFolder(target, run.console.out());
    }
  }
  if (!vn::movePath(folder, target)) {
    if (!aside.empty()) vn::movePath(aside, target);
    vn::removeQuietly(folder);
    run.console.line(msg::cannotExportFont(target));
    return FontOutcome::kFailed;
  }
  if (!aside.empty()) vn::removeFolderShownAs(aside, target, run.console.out());
  run.writtenPaths.push_back(target);
  return FontOutcome::kWritten;
}

}  // namespace

int convertNative(RunContext& run) {
  const bool listing = run.line.listFonts || run.line.listFontsLong;
  // Before reading, only a plain file is looked for; an existing folder is found when its
  // font comes to be written.
  if (!listing) {
    const std::string target =
        run.outParts.withKindExtension(run.line.zipped ? PathParts::kUfoz : PathParts::kUfo);
    if (vn::pathKind(target) == vn::PathKind::kSpecial) {
      run.console.line(msg::outputNotRegularFile(target));
      return msg::kFailure;
    }
    if (!run.line.forceOverwrite && vn::fileExists(target)) {
      run.console.line(msg::outputExists(target));
      return msg::kFailure;
    }
  }

  // The file the driver opened and checked, not the path again.
  vn::InputFileStream input(run.source);

  std::list<FontStylePair> pairs;
  int failedMasters = 0;
  try {
    if (!readMasters(run, input, pairs, failedMasters)) return msg::kFailure;
  } catch (...) {
    run.console.line(msg::kImportException);
    return msg::kConversionFailure;
  }
  // The masters that were read are still converted; the run ends as a failed read.
  const int readCode = failedMasters > 0 ? msg::kConversionFailure : msg::kSuccess;
  if (pairs.empty() && failedMasters > 0) return readCode;
  if (pairs.empty()) {
    run.console.line(msg::noFonts(run.displayName));
    return msg::kFailure;
  }
  if (failedMasters == 0) run.console.progress(msg::kImported);

  if (listing) {
    printFontList(run, pairs, !run.line.listFonts);
    return readCode;
  }

  bool allWritten = true;
  int index = 0;
  for (FontStylePair& pair : pairs) {
    run.console.progress(msg::processingFont(pair.style->names.fullName));
    if (pairs.size() > 1) {
      run.outParts.name = PathParts(pair.font->fileInfo.path).name;
      if (index > 0) run.outParts.name += "-" + vn::formatInteger(index);
    }
    const FontOutcome outcome = writeFont(run, pair);
    run.printLayoutWarnings(*pair.font);
    if (outcome == FontOutcome::kOutputExists) return msg::kFailure;
    if (outcome == FontOutcome::kNoFolder) return msg::kConversionFailure;
    if (outcome == FontOutcome::kFailed) allWritten = false;
    ++index;
  }
  run.listWrittenPaths();
  return allWritten ? readCode : msg::kConversionFailure;
}
