#include "feacompiler/fea_compiler.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <new>

#include "feacompiler/fea_compiler_impl.h"
#include "feacompiler/feat_context.h"
#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/cmap_module.h"
#include "feacompiler/tables/table_modules.h"
#include "layout/ot/tag.h"
#include "model/encodings.h"
#include "model/glyph.h"

namespace fea {

namespace {
constexpr size_t kInputBufferSize = 512;
constexpr uint32_t kGlyphIdLimit = 0xFFFF;
// What the console shows when an include cannot be opened or read; the caller's record of
// the failure gets the include, the folders searched and why.
constexpr const char* kNotAccessibleLine = "feature file is not accessible\n";
constexpr const char* kNotAccessible = "feature file is not accessible";
// Where relative include names resolve without an include folder.
constexpr const char* kCurrentFolder = "the current folder";
constexpr const char* kShownPrefix = "FEA compiler error: ";
constexpr const char* kOutOfMemory = "out of memory while compiling the feature file";

// Whether a relative name stays inside the folder it is looked up in.
bool staysInside(const std::string& name) {
  const std::filesystem::path normal = std::filesystem::path(name).lexically_normal();
  return normal.empty() || *normal.begin() != "..";
}

std::string withoutFinalSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}
}  // namespace

// ---- FeaCompiler ----

FeaCompiler::FeaCompiler(const std::string& fontName)
    : impl_(std::make_unique<FeaCompilerImpl>(fontName)) {}
FeaCompiler::~FeaCompiler() = default;
void FeaCompiler::setIncludeFolders(std::vector<IncludeFolder> folders) {
  impl_->includeFolders = std::move(folders);
}
int FeaCompiler::compile(int flags, std::vector<vn::Glyph*>* glyphs, std::istream* featureText) {
  impl_->glyphs = glyphs;
  return impl_->compile(flags, featureText);
}
std::list<std::string>& FeaCompiler::missingGlyphs() { return impl_->missing; }
const std::vector<std::string>& FeaCompiler::includedFiles() const { return impl_->included; }
const AaltOutcome& FeaCompiler::aaltOutcome() const { return impl_->aalt; }
std::string& FeaCompiler::gposData() { return impl_->gpos; }
std::string& FeaCompiler::gsubData() { return impl_->gsub; }
std::string& FeaCompiler::gdefData() { return impl_->gdef; }
int FeaCompiler::maxContext() { return impl_->maxContext; }
bool FeaCompiler::message(const std::string& text, int level) {
  return impl_->message(text, level);
}
void FeaCompiler::fatal() { impl_->fatal(); }

// ---- FeaCompilerImpl ----

FeaCompilerImpl::FeaCompilerImpl(const std::string& fontName) : fontName_(fontName) {
  core_ = coreNew(this);
}

FeaCompilerImpl::~FeaCompilerImpl() {
  closeInclude();
  cmapReuse(core_);
  coreReuse(core_);
  coreFree(core_);
}

bool FeaCompilerImpl::message(const std::string& text, int level) {
  if (text.empty()) return true;
  // The one place the compiler writes to the standard error stream. Notes and warnings
  // are not shown.
  if (level != kMsgError && level != kMsgFatal && level != kMsgLine) return true;
  const std::string line =
      level == kMsgLine ? text : std::string(kShownPrefix) + (level == kMsgError ? "[E] " : "[F] ") + text;
  std::cerr << line << '\n' << std::flush;
  return true;
}

void FeaCompilerImpl::fatal() {
  int line = core_->lastLine;
  std::string file = core_->msgFileName;
  message("font \"" + fontName_ + "\" in file \"" + file + "\" at line " + std::to_string(line),
          3);
  coreNoteErrorPlace(core_);
  FeaCompilerException failure(1, core_->lastMsg, line);
  failure.place = core_->errorPlace;
  throw failure;
}

// The front end's own fatal conditions carry their own text and line; the failure records
// `recorded` when given (the shown text may say less).
void FeaCompilerImpl::fatalf(const std::string& text, const std::string& recorded) {
  message(text, kMsgFatal);
  core_->lastMsg = recorded.empty() ? text : recorded;
  core_->lastLine = core_->line;
  fatal();
  std::terminate();  // fatal throws
}

std::vector<const IncludeFolder*> FeaCompilerImpl::foldersServing(const std::string& name) const {
  std::vector<const IncludeFolder*> folders;
  for (const IncludeFolder& folder : includeFolders) {
    if (!folder.path.empty() && (!folder.confined || staysInside(name))) folders.push_back(&folder);
  }
  return folders;
}

std::string FeaCompilerImpl::resolveIncludePath(const std::string& name) const {
  if (name.empty()) return std::string();
  if (name[0] == '/') return name;
  // A folder given with its final "/" gets no second one.
  const auto inFolder = [&](const std::string& folder) {
    if (folder == "/") return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
  };
  const std::vector<const IncludeFolder*> folders = foldersServing(name);
  std::error_code ec;
  for (const IncludeFolder* folder : folders) {
    std::string path = inFolder(folder->path);
    if (std::filesystem::exists(path, ec)) return path;
  }
  // Found nowhere: still relative to the text's folders, never to the process's.
  if (!folders.empty()) return inFolder(folders.front()->path);
  const bool anyFolder = std::any_of(includeFolders.begin(), includeFolders.end(),
                                     [](const IncludeFolder& folder) { return !folder.path.empty(); });
  return anyFolder ? std::string() : name;
}

void FeaCompilerImpl::startOutput() {
  out_.clear();
  outPos_ = 0;
}

void FeaCompilerImpl::outPut1(uint8_t byte) {
  if (outPos_ < out_.size()) out_[outPos_] = static_cast<char>(byte);
  else {
    out_.resize(outPos_, '\0');
    out_ += static_cast<char>(byte);
  }
  ++outPos_;
}

void FeaCompilerImpl::outWriteN(size_t count, const uint8_t* data) {
  for (size_t i = 0; i < count; ++i) outPut1(data[i]);
}

bool FeaCompilerImpl::featOpen(const char* name, long offset, std::string& openedName) {
  if (!name) {
    if (mainOpen_ || includeOpen_) fatalf("previous feature file not closed\n");
    fileName_ = "features";
    mainOpen_ = true;
    mainPos_ = offset > 0 ? std::min(static_cast<size_t>(offset), mainText_.size()) : 0;
    openedName = fileName_;
    return true;
  }
  // A reopen names the path resolved when the file was first opened.
  std::string path = offset > 0 ? std::string(name) : resolveIncludePath(name);
  if (path.empty()) return false;
  fileName_ = path;
  if (mainOpen_ || includeOpen_) fatalf("previous feature file not closed\n");
  if (offset == 0 && ++includeOpens_ > ot::limits::kMaxIncludeOpens) {
    fatalf("includes ask for too much work: more than " + std::to_string(ot::limits::kMaxIncludeOpens) +
           " include files opened\n");
  }
  openInclude(path, offset, offset > 0 ? std::string() : std::string(name));
  if (offset == 0 && std::find(included.begin(), included.end(), name) == included.end()) included.push_back(name);
  openedName = fileName_;
  return true;
}

std::string FeaCompilerImpl::notAccessibleText(const std::string& name, int error) const {
  std::string text = std::string(kNotAccessible) + ": include \"" + name + "\"";
  if (name.empty() || name[0] != '/') {
    const std::vector<const IncludeFolder*> folders = foldersServing(name);
    if (folders.empty()) text += std::string(", searched in ") + kCurrentFolder;
    for (size_t i = 0; i < folders.size(); ++i) {
      const std::string shown = folders[i]->shownAs.empty() ? folders[i]->path : folders[i]->shownAs;
      text += i == 0 ? (folders.size() == 1 ? ", searched in folder " : ", searched in folders ")
                     : (i + 1 == folders.size() ? " and " : ", ");
      text += "\"" + withoutFinalSlashes(shown) + "\"";
    }
  }
  switch (error) {
    case ENOENT:
    case ENOTDIR: return text + ": no such file";
    case ELOOP: return text + ": a loop of symbolic links";
    case EACCES: return text + ": permission denied";
    default: return text + ": cannot be opened";
  }
}

void FeaCompilerImpl::notAccessible(const std::string& path, const std::string& recorded) {
  // The fatal report names the file that could not be read.
  core_->msgFileName = path;
  fatalf(kNotAccessibleLine, recorded);
}

void FeaCompilerImpl::openInclude(const std::string& path, long offset, const std::string& name) {
  // Non-blocking, so that a named pipe cannot stall the open; only regular files are
  // read, since a FIFO or a device would block or never end.
  include_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (include_ < 0) notAccessible(path, notAccessibleText(name.empty() ? path : name, errno));
  struct stat status {};
  if (::fstat(include_, &status) != 0 || !S_ISREG(status.st_mode)) {
    closeInclude();
    notAccessible(path, std::string(kNotAccessible) + ": " + path + " is not a regular file");
  }
  if (static_cast<std::uint64_t>(status.st_size) > ot::limits::kMaxIncludeBytes) {
    closeInclude();
    notAccessible(path, std::string(kNotAccessible) + ": " + path + " is larger than the compiler reads (" +
                            std::to_string(ot::limits::kMaxIncludeBytes) + " bytes)");
  }
  if (offset > 0 && ::lseek(include_, offset, SEEK_SET) < 0) {
    closeInclude();
    notAccessible(path, std::string(kNotAccessible) + ": " + path + " cannot be read");
  }
  includeOpen_ = true;
}

void FeaCompilerImpl::closeInclude() {
  if (include_ >= 0) ::close(include_);
  include_ = -1;
  includeOpen_ = false;
}

const char* FeaCompilerImpl::featRefill(size_t& count) {
  count = 0;
  if (mainOpen_) {
    count = std::min(kInputBufferSize, mainText_.size() - mainPos_);
    if (count == 0) return nullptr;
    const char* p = mainText_.data() + mainPos_;
    mainPos_ += count;
    return p;
  }
  if (!includeOpen_) fatalf("feature file is not open for reading\n");
  ssize_t got = 0;
  do {
    got = ::read(include_, inputBuffer_, kInputBufferSize);
  } while (got < 0 && errno == EINTR);
  if (got < 0) notAccessible(fileName_, std::string(kNotAccessible) + ": " + fileName_ + " cannot be read");
  count = static_cast<size_t>(got);
  includeBytes_ += count;
  if (includeBytes_ > ot::limits::kMaxIncludeBytes) {
    core_->msgFileName = fileName_;
    fatalf("includes ask for too much work: more than " + std::to_string(ot::limits::kMaxIncludeBytes) +
           " bytes read from include files\n");
  }
  return count ? inputBuffer_ : nullptr;
}

void FeaCompilerImpl::featClose() {
  if (!mainOpen_ && !includeOpen_) fatalf("feature file is not open for reading\n");
  closeInclude();
  mainOpen_ = false;
}

void FeaCompilerImpl::aaltOutcome(const std::vector<uint32_t>& listedWithoutRule, bool built) {
  aalt.defined = true;
  aalt.built = built;
  aalt.listedWithoutRule.clear();
  for (uint32_t tag : listedWithoutRule) aalt.listedWithoutRule.push_back(ot::Tag::fromUInt32(tag).text());
}

uint32_t FeaCompilerImpl::glyphLookup(const char* name) {
  if (!name) return kGlyphIdLimit;
  const auto known = missingIndex.find(name);
  if (known != missingIndex.end()) return static_cast<uint32_t>(glyphCount_) + known->second;
  const auto index = static_cast<uint32_t>(missing.size());
  // Provisional ids must stay below 0xFFFF, or they would wrap onto real glyphs.
  if (static_cast<uint32_t>(glyphCount_) + index >= kGlyphIdLimit) return kGlyphIdLimit;
  message(std::string("Missing glyph: ") + name, 1);
  missing.push_back(name);
  missingIndex.emplace(name, index);
  return static_cast<uint32_t>(glyphCount_) + index;
}

int FeaCompilerImpl::compile(int flags, std::istream* featureText) {
  if (!glyphs) return -1;
  try {
    mainText_.clear();
    if (featureText) {
      mainText_.assign(std::istreambuf_iterator<char>(*featureText),
                       std::istreambuf_iterator<char>());
    }
    fileName_ = "features";
    includeOpens_ = 0;
    includeBytes_ = 0;
    included.clear();
    aalt = AaltOutcome();
    glyphCount_ = static_cast<int>(glyphs->size());
    gpos.clear();
    gsub.clear();
    gdef.clear();
    core_->fontFlags = 0;
    if (flags & 1) core_->optionFlags |= kOptBacktrackInTextOrder;
    core_->fontName = "Font";
    core_->line = 1;
    core_->lastLine = -1;
    core_->lastMsg.clear();
    core_->errorPlace = FeaErrorPlace();
    core_->errorPlaced = false;
    core_->glyphs.assign(glyphs->size(), GlyphRecord());
    for (size_t i = 0; i < glyphs->size(); ++i) {
      GlyphRecord& r = core_->glyphs[i];
      r.name = (*glyphs)[i]->name.c_str();
      int32_t code = vn::Encodings::standardCodeForName((*glyphs)[i]->name);
      r.code = code < 0 ? kNoCode : static_cast<uint32_t>(code);
    }
    mapSetup(core_);
    mapCheck(core_);
    featFill(core_);
    int gposHas = GPOSFill(core_);
    int gsubHas = GSUBFill(core_);
    int gdefHas = GDEFFill(core_);
    // Errors of the fills (anonymous lookups, GPOS checks) must not pass as success.
    if (core_->errorFlag) coreMsg(core_, 3, "aborting because of errors");
    maxContext = 0;
    if (gsubHas) {
      startOutput();
      GSUBWrite(core_);
      gsub = out_;
      maxContext = GSUBMaxContext(core_);
    }
    if (gposHas) {
      startOutput();
      GPOSWrite(core_);
      gpos = out_;
      maxContext = std::max(maxContext, GPOSMaxContext(core_));
    }
    if (gdefHas) {
      startOutput();
      GDEFWrite(core_);
      gdef = out_;
    }
    if (gsubHas) GSUBReuse(core_);
    if (gposHas) GPOSReuse(core_);
    return 0;
  } catch (const FeaCompilerException& e) {
    GSUBReuse(core_);
    GPOSReuse(core_);
    lexReset(core_->feat->lex);
    throw FeaCompilerException(e);
  } catch (const std::bad_alloc&) {
    GSUBReuse(core_);
    GPOSReuse(core_);
    lexReset(core_->feat->lex);
    // Said here, where the file and line are known: the callers only see a failure.
    const int line = core_->line;
    message(std::string(kOutOfMemory) + " in file \"" + fileName_ + "\" at line " + std::to_string(line), 3);
    coreNoteErrorPlace(core_);
    FeaCompilerException failure(1, kOutOfMemory, line);
    failure.place = core_->errorPlace;
    throw failure;
  } catch (const std::exception&) {
    GSUBReuse(core_);
    GPOSReuse(core_);
    lexReset(core_->feat->lex);
    throw FeaCompilerException(0, "", -1);
  }
}

}  // namespace fea
