// The feature-file compiler: glyphs and feature text in, GSUB/GPOS/GDEF bytes out.
#pragma once

#include <exception>
#include <istream>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace vn {
class Glyph;
}

namespace fea {

// Where a compile error is, as far as the compiler knows it.
struct FeaErrorPlace {
  int line = -1;             // -1: not known (found after the text was read, or as a lookup was built)
  std::string file;          // the include name as written; empty: the caller's text
  std::string featureBlock;  // in the caller's text: the tag of the feature block it is in
  std::string lookupBlock;   // or the name of the top-level lookup block it is in
  int blockLine = -1;        // then the line that block begins at
};

// A failed compile. code 1: a compile error (message = the last reported text, line = its
// feature-file line); code 0: anything else (empty message, line -1). The place is that of
// the first error, which later messages ("aborting because of errors") do not move.
class FeaCompilerException : public std::exception {
 public:
  FeaCompilerException(int code, std::string message, int line = -1)
      : code(code), message(std::move(message)), line(line) {}
  const char* what() const noexcept override { return message.c_str(); }

  int code;
  std::string message;
  int line;
  FeaErrorPlace place;
};

// A folder include names are looked up in.
struct IncludeFolder {
  std::string path;
  std::string shownAs;    // how messages name it; empty: by its path
  bool confined = false;  // serves only names that stay inside it
};

// What 'aalt' got from a text that has an 'aalt' feature block.
struct AaltOutcome {
  bool defined = false;  // the text has an 'aalt' block
  bool built = false;    // it got at least one rule (without one no 'aalt' is built)
  // The features it lists that gave it no rule, as tags, in the order listed.
  std::vector<std::string> listedWithoutRule;
};

class FeaCompilerImpl;

class FeaCompiler {
 public:
  explicit FeaCompiler(const std::string& fontName);
  virtual ~FeaCompiler();
  FeaCompiler(const FeaCompiler&) = delete;
  FeaCompiler& operator=(const FeaCompiler&) = delete;

  // Relative include names are looked up in these folders, in order; one found nowhere is
  // taken as in the first folder that serves it.
  void setIncludeFolders(std::vector<IncludeFolder> folders);

  // 0 when done, -1 without glyphs; failures throw FeaCompilerException. The glyphs must
  // outlive the compile. Bit 0 of flags: backtrack coverages in the order of the text.
  int compile(int flags, std::vector<vn::Glyph*>* glyphs, std::istream* featureText);

  std::list<std::string>& missingGlyphs();
  // The include names the text opened (as written), each once, in order of first open.
  const std::vector<std::string>& includedFiles() const;
  // What 'aalt' got (nothing defined when the text has no 'aalt' block).
  const AaltOutcome& aaltOutcome() const;
  std::string& gposData();
  std::string& gsubData();
  std::string& gdefData();
  int maxContext();

  virtual bool message(const std::string& text, int level);
  virtual void fatal();

 private:
  std::unique_ptr<FeaCompilerImpl> impl_;
};

}  // namespace fea
