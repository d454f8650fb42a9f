#include "layout/text/fea_text_blocks.h"

#include "model/numbers.h"

#include <istream>
#include <iterator>
#include <ostream>
#include <string_view>

namespace otl::ot_fea_layout {

namespace {

constexpr std::string_view kFeatureWord = "feature";
constexpr const char* kUnknownText = "FEA compilation unknown exception";
constexpr const char* kFatalText = "FEA compilation fatal error";
constexpr const char* kMissingText = "Missing glyph names were found: ";

bool isDelimiter(char c) {
  switch (c) {
    case ' ': case '\t': case '\n': case '\r': case '[': case ']': case ';': case ',':
    case '\'': case '\\': case '-': case '=': case '{':
      return true;
    default:
      return false;
  }
}

// Walks the words of feature text; a word beginning with "#" skips the rest of its line.
class WordCursor {
 public:
  explicit WordCursor(std::string_view text) : text_(text) {}
  // The next word and its offset; false at the end.
  bool next(std::string_view& word, size_t& at) {
    for (;;) {
      while (pos_ < text_.size() && isDelimiter(text_[pos_])) ++pos_;
      if (pos_ >= text_.size()) return false;
      if (text_[pos_] == '#') {
        const size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end;
        continue;
      }
      at = pos_;
      while (pos_ < text_.size() && !isDelimiter(text_[pos_])) ++pos_;
      word = text_.substr(at, pos_ - at);
      return true;
    }
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Offset of the next word "feature" (the cursor then stands after it), or npos.
size_t nextFeatureWord(WordCursor& cursor) {
  std::string_view word;
  size_t at = 0;
  while (cursor.next(word, at)) {
    if (word == kFeatureWord) return at;
  }
  return std::string_view::npos;
}

int32_t linesOf(std::string_view text) {
  int32_t lines = 0;
  for (char c : text) lines += c == '\n';
  if (!text.empty() && text.back() != '\n') ++lines;
  return lines;
}

}  // namespace

void addTextBlock(FeatureTextBlocks& blocks, FeatureTextBlock block) {
  // Same-named blocks are all kept: replacing one would lose a whole feature block.
  if (block.text.empty()) return;
  blocks.push_back(std::move(block));
}

void splitFeatureText(std::istream& in, FeatureTextBlocks& out) {
  splitFeatureText(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), out);
}

void splitFeatureText(const std::string& all, FeatureTextBlocks& out) {
  const std::string_view text(all);
  WordCursor cursor(text);
  size_t start = nextFeatureWord(cursor);
  int32_t line = 0;
  auto add = [&](std::string name, size_t from, size_t to) {
    const std::string_view piece = text.substr(from, to - from);
    // The start line is the document line the block's first byte is on.
    addTextBlock(out, FeatureTextBlock{std::move(name), std::string(piece), line, linesOf(piece)});
    for (char c : piece) line += c == '\n';
  };
  // Everything before the first feature, blanks and comments included: dropping a
  // comment-only prefix would change the text on every round trip.
  add(kPrefixBlockName, 0, start == std::string_view::npos ? text.size() : start);
  while (start != std::string_view::npos) {
    std::string_view name;
    size_t at = 0;
    size_t next = std::string_view::npos;
    if (cursor.next(name, at)) {
      if (name.size() <= 4) {
        // Skip to the closing tag, so "feature" references inside (aalt) start no block.
        std::string_view word;
        bool closed = false;
        while (!closed && cursor.next(word, at)) closed = word == name;
        if (closed) next = nextFeatureWord(cursor);
      } else {
        next = nextFeatureWord(cursor);
      }
    }
    add(std::string(name), start, next == std::string_view::npos ? text.size() : next);
    start = next;
  }
}

void writeFeatureTextLines(const FeatureTextBlocks& blocks, std::ostream& out) {
  for (const FeatureTextBlock& block : blocks) out << block.text;
  out.flush();
}

void compileErrorText(FeaCompileError& record, const FeaCompileResult& result) {
  record = FeaCompileError{};
  // A block is a place by the line it begins at too, an included file by its name.
  const bool placed = result.line > 0 || (result.scope == FeaErrorScope::kIncludedFile && !result.details.empty()) ||
                      (result.scope != FeaErrorScope::kTopLevel && result.blockLine > 0);
  if (result.scope != FeaErrorScope::kUnknown && placed) {
    record.scope = result.scope;
    record.details = result.details;
    record.line = result.line;
    record.blockLine = result.blockLine;
  }
  switch (result.kind) {
    case 0: record.message = kUnknownText; break;
    case 1: record.message = kFatalText; break;
    case 2: record.message = kMissingText; break;
    default: break;
  }
  if (!result.message.empty()) record.message += result.message + ".\n";
}

std::string compileErrorLine(const FeaCompileError& record) {
  // The record holds the texts as they are; on the console the compiler's message is set
  // off from the kind text and its line feeds go.
  std::string text;
  for (char c : record.message) {
    if (c != '\n' && c != '\r') text += c;
  }
  for (const char* kind : {kUnknownText, kFatalText}) {
    const std::string_view prefix(kind);
    if (text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0) text.insert(prefix.size(), ": ");
  }
  const std::string line = record.line > 0 ? ", line " + vn::formatInteger(record.line) : std::string();
  switch (record.scope) {
    case FeaErrorScope::kFeatureBlock:
    case FeaErrorScope::kLookupBlock: {
      const char* kind = record.scope == FeaErrorScope::kFeatureBlock ? " (feature block " : " (lookup block ";
      // The error's own line when the compiler knows it, else the line the block begins at.
      return text + kind + record.details +
             (line.empty() ? ", which begins at line " + vn::formatInteger(record.blockLine) : line) + ")";
    }
    case FeaErrorScope::kTopLevel: return text + " (top level" + line + ")";
    case FeaErrorScope::kIncludedFile: return text + " (included file \"" + record.details + "\"" + line + ")";
    case FeaErrorScope::kUnknown: break;
  }
  return text;
}

}  // namespace otl::ot_fea_layout
