#include "feacompiler/lexer.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "feacompiler/feat_context.h"
#include "feacompiler/lexer_tokens.h"

namespace fea {

namespace {

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameChar(int c) { return isLetter(c) || isDigit(c) || c == '.' || c == '_'; }
bool isHex(int c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
// Tag characters: printable, but not the punctuation that ends a statement or block.
bool isTagChar(int c) {
  return c >= 0x21 && c <= 0x7E && c != ';' && c != '{' && c != '}' && c != ',';
}

class Scanner {
 public:
  explicit Scanner(coreContext* g) : g_(g), lex_(g->feat->lex) {}

  int get() {
    if (!lex_.pushback.empty()) {
      int c = lex_.pushback.back();
      lex_.pushback.pop_back();
      return c;
    }
    return featNextChar(g_);
  }
  void unget(int c) {
    if (c >= 0) lex_.pushback.push_back(c);
  }
  // Line ends: "\r\n", "\r" and "\n" count one line each.
  bool lineEnd(int c) {
    if (c == '\n') return true;
    if (c != '\r') return false;
    int d = get();
    if (d != '\n') unget(d);
    return true;
  }
  void append(int c) {
    if (lex_.text.size() < kTokenBufferSize - 1) lex_.text += static_cast<char>(c);
    else lex_.overflow = true;
  }
  [[noreturn]] void invalid(int c) {
    if (c >= 0) append(c);
    featLexError(g_, "invalid token");
  }
  void skipComment() {
    int c;
    while ((c = get()) >= 0) {
      if (c == '\n' || c == '\r') {
        unget(c);
        return;
      }
    }
  }
  // White space, comments (when allowed) and line ends; returns the next other character.
  int skipSpace(bool comments) {
    for (;;) {
      int c = get();
      if (c == ' ' || c == '\t') continue;
      if (comments && c == '#') {
        skipComment();
        continue;
      }
      if (lineEnd(c)) {
        ++g_->line;
        continue;
      }
      return c;
    }
  }

  int normal();
  int tag();
  int label();
  bool includeFile();
  void anonBlock();
  void string();
  bool endOfInput();

 private:
  int nameRun(int first);
  coreContext* g_;
  Lexer& lex_;
};

// Longest match over a run of name characters that starts with `first`.
int Scanner::nameRun(int first) {
  append(first);
  int c;
  while ((c = get()) >= 0 && isNameChar(c)) append(c);
  const std::string& t = lex_.text;
  if (t == "OS" && c == '/') {
    int d = get();
    if (d == '2') {
      append('/');
      append('2');
      return K_OS_2;
    }
    unget(d);
  }
  unget(c);
  if (lex_.overflow) return T_GNAME;
  if (t[0] == '\\') {
    bool digits = t.size() > 1;
    for (size_t i = 1; i < t.size() && digits; ++i) digits = isDigit(t[i]);
    return digits ? T_CID : T_GNAME;
  }
  if (isDigit(t[0])) {
    size_t i = 0;
    while (i < t.size() && isDigit(t[i])) ++i;
    if (i == t.size()) return (t[0] == '0' && t.size() > 1) ? T_NUMEXT : T_NUM;
    if (t.size() > 2 && t[0] == '0' && t[1] == 'x') {
      bool hex = true;
      for (size_t k = 2; k < t.size() && hex; ++k) hex = isHex(t[k]);
      if (hex) return T_NUMEXT;
    }
    if (t[i] == '.' && i + 1 < t.size()) {
      size_t k = i + 1;
      while (k < t.size() && isDigit(t[k])) ++k;
      if (k == t.size()) return T_FONTREV;
    }
    return T_GNAME;
  }
  int kw = keywordToken(t);
  return kw >= 0 ? kw : T_GNAME;
}

int Scanner::normal() {
  for (;;) {
    int c = skipSpace(true);
    if (c < 0) {
      if (endOfInput()) continue;
      return Eof;
    }
    switch (c) {
      case '[': append(c); return P_LBRACKET;
      case ']': append(c); return P_RBRACKET;
      case ',': append(c); return P_COMMA;
      case '\'': append(c); return P_QUOTE;
      case ';': append(c); return P_SEMI;
      case '{': append(c); return P_LBRACE;
      case '}': append(c); return P_RBRACE;
      case '=': append(c); return P_EQUALS;
      case '<': append(c); return K_BeginValue;
      case '>': append(c); return K_EndValue;
      case '"':
        append(c);
        lex_.mode = kModeString;
        return T_STRING;
      case '-': {
        append(c);
        int d = get();
        if (!isDigit(d)) {
          unget(d);
          return P_HYPHEN;
        }
        do append(d); while ((d = get()) >= 0 && isDigit(d));
        unget(d);
        return T_NUM;
      }
      case '@': {
        append(c);
        int d;
        while ((d = get()) >= 0 && isNameChar(d)) append(d);
        unget(d);
        if (lex_.text.size() == 1) invalid(-1);
        return T_GCLASS;
      }
      default:
        break;
    }
    if (!(isNameChar(c) || c == '\\')) invalid(c);
    int token = nameRun(c);
    switch (token) {
      case K_include:
        lex_.text.clear();
        lex_.includeReturn = kModeNormal;
        lex_.mode = kModeInclude;
        return includeFile() ? -1 : Eof;
      case K_feature: case K_script: case K_language: case K_languagesystem:
      case K_HorizAxis_BaseTagList: case K_HorizAxis_BaseScriptList:
      case K_VertAxis_BaseTagList: case K_VertAxis_BaseScriptList:
        lex_.mode = kModeTag;
        lex_.tagReturn = kModeNormal;
        break;
      case K_anon:
        lex_.mode = kModeTag;
        lex_.tagReturn = kModeAnonTag;
        break;
      case K_lookup:
        lex_.mode = kModeLabel;
        break;
      default:
        break;
    }
    return token;
  }
}

int Scanner::tag() {
  int c = skipSpace(false);
  if (c < 0) return Eof;
  if (c == ';') {
    lex_.mode = lex_.tagReturn;
    return -1;  // skipped: scan on in the saved mode
  }
  if (!isTagChar(c)) invalid(c);
  // Up to seven characters: "include" is longer than any tag.
  std::string t(1, static_cast<char>(c));
  int d;
  while (t.size() < 7 && (d = get()) >= 0 && isTagChar(d)) t += static_cast<char>(d);
  if (t.size() < 7) {
    unget(d);
  }
  if (t == "include") {
    lex_.includeReturn = kModeTag;
    lex_.mode = kModeInclude;
    return includeFile() ? -1 : Eof;
  }
  for (size_t i = t.size(); i > 4; --i) unget(static_cast<unsigned char>(t[i - 1]));
  if (t.size() > 4) t.resize(4);
  for (char ch : t) append(static_cast<unsigned char>(ch));
  if (lex_.tagReturn == kModeAnonTag) g_->feat->anonTag = featStringToTag(t);
  lex_.mode = lex_.tagReturn;
  return T_TAG;
}

int Scanner::label() {
  int c = skipSpace(false);
  if (c < 0) return Eof;
  if (!(isNameChar(c) || c == '\\')) invalid(c);
  append(c);
  while ((c = get()) >= 0 && isNameChar(c)) append(c);
  unget(c);
  lex_.mode = kModeNormal;
  return T_LABEL;
}

// Mode 3: "(" name ")". Opens the file and returns true to scan on, false at end of input.
bool Scanner::includeFile() {
  int c = skipSpace(false);
  if (c < 0) return false;
  if (c != '(') invalid(c);
  append(c);
  while ((c = get()) >= 0 && c != ')') {
    if (c == '\n' || c == '\r') invalid(c);
    append(c);
  }
  if (c < 0) return false;
  if (lex_.text.size() == 1) invalid(c);
  append(c);
  lex_.mode = lex_.includeReturn;
  std::string name = featIncludeName(g_);
  // The statement's own ";" ends it here, not in the text after the included file.
  int d = skipSpace(true);
  if (d != ';') unget(d);
  lex_.text.clear();
  lex_.overflow = false;
  featIncludeOpen(g_, name.c_str());
  return true;
}

// Modes 4 to 6: the block's text up to its closing line goes to the anon text.
void Scanner::anonBlock() {
  FeatContext& f = *g_->feat;
  if (lex_.mode == kModeAnonTag) {
    int c = skipSpace(false);
    if (c < 0) featLexError(g_, "Unexpected end of file");
    if (c != '{') invalid(c);
    lex_.mode = kModeAnonFirstLine;
  }
  if (lex_.mode == kModeAnonFirstLine) {
    for (;;) {
      int c = get();
      if (c < 0) featLexError(g_, "Unexpected end of file");
      if (c == ' ' || c == '\t') continue;
      if (c == '#') {
        skipComment();
        continue;
      }
      if (lineEnd(c)) {
        ++g_->line;
        break;
      }
      invalid(c);
    }
    lex_.mode = kModeAnonBody;
    f.anonText.clear();
    f.anonLineStart = 0;
  }
  for (;;) {
    int c = get();
    if (c < 0) featLexError(g_, "Unexpected end of file");
    if (lineEnd(c)) {
      ++g_->line;
      if (featLexAppend(g_, '\n', true)) break;
    } else {
      featLexAppend(g_, c, false);
    }
  }
  lex_.mode = kModeNormal;
}

// Mode 7: the string's text goes to the string buffer.
void Scanner::string() {
  std::string& s = g_->feat->stringBuf;
  s.clear();
  for (;;) {
    int c = get();
    if (c < 0) featLexError(g_, "Unexpected end of file");
    if (c == '"') break;
    if (lineEnd(c)) {
      ++g_->line;
      continue;
    }
    if (c < 0x20 || c > 0x7E) invalid(c);
    s += static_cast<char>(c);
  }
  lex_.mode = kModeNormal;
}

// End of input in mode 0: an include file returns to the file that included it.
bool Scanner::endOfInput() {
  if (g_->feat->includes.size() <= 1) return false;
  featIncludeClose(g_, 1);
  return true;
}

}  // namespace

void lexReset(Lexer& lex) {
  lex = Lexer();
}

void lexRestart(Lexer& lex) { lex.pushback.clear(); }

void lexNext(coreContext* g, int mode) {
  Lexer& lex = g->feat->lex;
  if (mode >= 0) lex.mode = mode;
  Scanner s(g);
  for (;;) {
    lex.text.clear();
    lex.overflow = false;
    int token;
    switch (lex.mode) {
      case kModeTag: token = s.tag(); break;
      case kModeLabel: token = s.label(); break;
      case kModeInclude: token = s.includeFile() ? -1 : Eof; break;
      case kModeAnonTag: case kModeAnonFirstLine: case kModeAnonBody:
        s.anonBlock();
        token = -1;
        break;
      case kModeString:
        s.string();
        token = -1;
        break;
      default: token = s.normal(); break;
    }
    if (token >= 0) {
      lex.token = token;
      return;
    }
  }
}

}  // namespace fea
