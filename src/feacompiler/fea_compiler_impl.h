// The front end behind FeaCompiler: the compile sequence and the client services.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "feacompiler/client.h"
#include "feacompiler/core_context.h"
#include "feacompiler/fea_compiler.h"

namespace fea {

class FeaCompilerImpl : public FeaClient {
 public:
  explicit FeaCompilerImpl(const std::string& fontName);
  ~FeaCompilerImpl() override;

  int compile(int flags, std::istream* featureText);
  bool message(const std::string& text, int level);
  [[noreturn]] void fatal() override;
  std::string resolveIncludePath(const std::string& name) const;

  // Client services.
  void message(int level, const std::string& text) override { message(text, level); }
  void outPut1(uint8_t byte) override;
  void outWriteN(size_t count, const uint8_t* data) override;
  uint32_t outTell() override { return outPos_; }
  void outSeek(uint32_t position) override { outPos_ = position; }
  bool featOpen(const char* name, long offset, std::string& openedName) override;
  const char* featRefill(size_t& count) override;
  void featClose() override;
  uint32_t glyphLookup(const char* name) override;
  void aaltOutcome(const std::vector<uint32_t>& listedWithoutRule, bool built) override;

  std::vector<vn::Glyph*>* glyphs = nullptr;
  std::list<std::string> missing;
  // Position of each name in `missing`: a text may name a million missing glyphs.
  std::unordered_map<std::string, uint32_t> missingIndex;
  std::vector<IncludeFolder> includeFolders;
  // Include names opened by this compile, as written, each once in order of first open.
  std::vector<std::string> included;
  AaltOutcome aalt;
  std::string gpos, gsub, gdef;
  int maxContext = 0;

 private:
  [[noreturn]] void fatalf(const std::string& text, const std::string& recorded = std::string());
  void startOutput();
  // Opens an include file (regular files only) at an offset; fatal when it cannot be read,
  // naming the include as written (name) or, on a reopen, the path.
  void openInclude(const std::string& path, long offset, const std::string& name);
  // "feature file is not accessible" with the include's name, the folders searched and why.
  std::string notAccessibleText(const std::string& name, int error) const;
  // The fatal "feature file is not accessible" for the file at `path`, recording `recorded`.
  [[noreturn]] void notAccessible(const std::string& path, const std::string& recorded);
  // The include folders that a relative name may be looked up in, in order.
  std::vector<const IncludeFolder*> foldersServing(const std::string& name) const;
  void closeInclude();

  std::string fontName_;
  coreContext* core_ = nullptr;
  std::string out_;
  uint32_t outPos_ = 0;
  std::string fileName_;
  std::string mainText_;      // the caller's text, read whole so it can be reopened anywhere
  size_t mainPos_ = 0;
  bool mainOpen_ = false;
  int include_ = -1;  // descriptor of the open include file
  bool includeOpen_ = false;
  // Work of this compile's includes, bounded by the compiler's limits.
  std::uint32_t includeOpens_ = 0;
  std::uint64_t includeBytes_ = 0;
  char inputBuffer_[512];
  int glyphCount_ = 0;
};

}  // namespace fea
