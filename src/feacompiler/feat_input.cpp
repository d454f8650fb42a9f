// The feature layer's services for the lexer: messages, hard errors, the input reader,
// include files and the text of anonymous blocks.

#include "feacompiler/feat_context.h"

namespace fea {

namespace {
constexpr size_t kMaxFeatMessage = 1023;
}  // namespace

const std::string& featCurrentFile(coreContext* g) {
  static const std::string none;
  const FeatContext& f = *g->feat;
  if (f.includes.empty()) return f.parsedName.empty() ? none : f.parsedName;
  return f.includes.back().name;
}

FeaErrorPlace featErrorPlace(coreContext* g) {
  const FeatContext& f = *g->feat;
  FeaErrorPlace place;
  size_t depth = f.includes.size();
  // An include not opened yet has no name: its include statement is the place.
  if (depth > 1 && f.includes.back().name.empty()) --depth;
  if (depth == 0) return place;
  // A lookup's rules are built once the lookup ends: its block is known, the rule's line not.
  if (!g->buildingLookup) place.line = g->line;
  if (depth > 1) {
    place.file = f.includes[depth - 1].written;
  } else if (f.blockLine > 0 && g->line >= f.blockLine) {
    (f.inLookupBlock ? place.lookupBlock : place.featureBlock) = f.blockName;
    place.blockLine = f.blockLine;
  }
  return place;
}

void featMsg(coreContext* g, int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatText(format, args);
  va_end(args);
  if (text.size() > kMaxFeatMessage) text.resize(kMaxFeatMessage);
  g->msgFileName = featCurrentFile(g);
  g->msgFileGiven = true;
  coreMsg(g, level, "%s", text.c_str());
}

void featLexError(coreContext* g, const char* message) {
  featMsg(g, kMsgFatal, "%s (text was \"%s\")", message ? message : "Lexical error",
          g->feat->lex.text.c_str());
  coreFatal(g);  // not reached: level 3 ends the compile
}

void featLexErrorf(coreContext* g, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatText(format, args);
  va_end(args);
  if (text.size() > kMaxFeatMessage) text.resize(kMaxFeatMessage);
  featLexError(g, text.c_str());
}

uint32_t featStringToTag(const std::string& text) {
  if (text == "dflt") return kTagDefaultLanguage;
  uint32_t tag = 0;
  for (size_t i = 0; i < 4; ++i) {
    unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
    tag = (tag << 8) | c;
  }
  return tag;
}

int featNextChar(coreContext* g) {
  FeatContext& f = *g->feat;
  if (f.bufPos < f.bufLen) {
    ++f.delivered;
    f.lastChar = static_cast<unsigned char>(f.buf[f.bufPos++]);
    return f.lastChar;
  }
  size_t count = 0;
  const char* buf = g->client->featRefill(count);
  if (!buf || count == 0) {
    f.buf = nullptr;
    f.bufLen = f.bufPos = 0;
    return -1;
  }
  f.buf = buf;
  f.bufLen = count;
  f.bufPos = 1;
  ++f.delivered;
  f.lastChar = static_cast<unsigned char>(buf[0]);
  return f.lastChar;
}

std::string featIncludeName(coreContext* g) {
  const std::string& t = g->feat->lex.text;
  if (t.size() < 2 || t.front() != '(' || t.back() != ')')
    featMsg(g, kMsgFatal, "bad include file: <%s>", t.c_str());
  size_t b = 1, e = t.size() - 1;
  while (b < e && (t[b] == ' ' || t[b] == '\t')) ++b;
  while (e > b && (t[e - 1] == ' ' || t[e - 1] == '\t')) --e;
  return t.substr(b, e - b);
}

void featRuleFile(coreContext* g);  // the grammar's top rule

int featIncludeOpen(coreContext* g, const char* name) {
  FeatContext& f = *g->feat;
  // A failure to open is reported against the including file.
  g->msgFileName = featCurrentFile(g);
  if (!f.includes.empty()) {
    if (f.includes.size() >= static_cast<size_t>(ot::limits::kMaxIncludeDepth))
      featMsg(g, kMsgFatal, "Can't include [%s]; maximum include levels <%d> reached", name,
              ot::limits::kMaxIncludeDepth);
    f.includes.back().line = g->line;
    // Characters read ahead are read again when this file is reopened.
    f.includes.back().offset = f.delivered - static_cast<long>(f.lex.pushback.size());
    g->client->featClose();
  }
  f.includes.push_back(IncludeRecord());
  if (name) f.includes.back().written = name;
  std::string opened;
  if (!g->client->featOpen(name, 0, opened)) {
    if (f.includes.size() == 1) return 0;
    f.includes.pop_back();
    g->line = f.includes.back().line;
    featMsg(g, kMsgFatal, "include file <%s> not found [%s %d]", name ? name : "",
            f.includes.back().name.c_str(), g->line);
  }
  f.includes.back().name = opened;
  f.delivered = 0;
  f.buf = nullptr;
  f.bufLen = f.bufPos = 0;
  g->line = 1;
  lexRestart(f.lex);
  if (f.includes.size() > 1) return 1;
  lexNext(g);
  featRuleFile(g);
  return 1;
}

int featIncludeClose(coreContext* g, int flag) {
  FeatContext& f = *g->feat;
  if (f.includes.empty() || (f.includes.size() == 1 && flag == 0)) return 0;
  g->client->featClose();
  f.includes.pop_back();
  if (f.includes.empty()) return 1;
  IncludeRecord& top = f.includes.back();
  std::string opened;
  const char* name = f.includes.size() == 1 ? nullptr : top.name.c_str();
  if (!g->client->featOpen(name, top.offset, opened))
    featMsg(g, kMsgFatal, "include file <%s> not found", top.name.c_str());
  f.delivered = top.offset;
  f.buf = nullptr;
  f.bufLen = f.bufPos = 0;
  g->line = top.line;
  lexRestart(f.lex);
  return 1;
}

// The closing line of an anon block: "}" tag ";" with optional blanks, then "#" or the end.
int featLexAppend(coreContext* g, int c, bool endOfLine) {
  FeatContext& f = *g->feat;
  f.anonText += static_cast<char>(c);
  if (!endOfLine) return 0;
  std::string_view line(f.anonText.data() + f.anonLineStart,
                        f.anonText.size() - f.anonLineStart - 1);
  size_t i = 0;
  auto blanks = [&] {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  };
  bool closes = false;
  blanks();
  if (i < line.size() && line[i] == '}') {
    ++i;
    blanks();
    bool tagOk = true;
    for (int k = 0; k < 4; ++k) {
      char t = static_cast<char>(f.anonTag >> (24 - 8 * k));
      if (k > 0 && t == ' ') break;
      if (i >= line.size() || line[i] != t) {
        tagOk = false;
        break;
      }
      ++i;
    }
    if (tagOk) {
      blanks();
      if (i < line.size() && line[i] == ';') {
        ++i;
        blanks();
        closes = i == line.size() || line[i] == '#';
      }
    }
  }
  if (closes) {
    f.anonText.resize(f.anonLineStart);
    return 1;
  }
  f.anonLineStart = f.anonText.size();
  return 0;
}

void featAnonDataFlush(coreContext* g) {
  FeatContext& f = *g->feat;
  g->client->anonBlock(f.anonText, f.anonTag);
  f.anonText.clear();
  f.anonLineStart = 0;
}

void featSyntaxError(coreContext* g, const std::vector<int>& expected) {
  const Lexer& lex = g->feat->lex;
  std::string out = "syntax error at \"";
  out += lex.token == Eof ? std::string("EOF") : lex.text;
  out += "\"";
  if (!expected.empty()) {
    out += " missing";
    if (expected.size() > 1) {
      out += " {";
      for (int t : expected) out += " " + tokenDisplayName(t);
      out += " }";
    } else {
      out += " " + tokenDisplayName(expected[0]);
    }
  }
  g->client->message(kMsgLine, out);
  g->msgFileName = featCurrentFile(g);
  g->msgFileGiven = true;
  coreMsg(g, kMsgFatal, "aborting because of errors");
  coreFatal(g);  // not reached
}

}  // namespace fea
