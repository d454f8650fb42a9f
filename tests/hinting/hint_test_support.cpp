#include "hint_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "hinting/tt_ordering.h"

namespace hinttest {

vn::Layer makeLayer(const std::vector<std::string>& names) {
  vn::Layer layer;
  vn::Contour contour;
  for (size_t i = 0; i < names.size(); ++i) {
    vn::Node node;
    node.type = i == 0 ? vn::Node::kMove : vn::Node::kOnCurve;
    node.x = static_cast<double>(i) * 10;
    node.y = static_cast<double>(i) * 10;
    node.name = names[i];
    contour.nodes.push_back(node);
  }
  if (!names.empty()) layer.addContour(contour);
  return layer;
}

std::unique_ptr<vn::ttCommand> command(int32_t code, const std::vector<int32_t>& params) {
  auto made = vn::makeTtCommand(code);
  EXPECT_TRUE(made) << "code " << code;
  if (!made) return made;
  for (size_t i = 0; i < params.size() && i < made->params.size(); ++i) made->params[i] = params[i];
  return made;
}

std::string describe(const vn::ttProgram& program) {
  std::string out;
  for (const auto& c : program) {
    if (!out.empty()) out += ' ';
    out += vn::ttKeyword(c->code) + "(";
    for (size_t i = 0; i < c->params.size(); ++i) {
      if (i) out += ',';
      out += std::to_string(c->params[i]);
    }
    out += ")";
  }
  return out;
}

namespace {

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class MiniXml {
 public:
  explicit MiniXml(const std::string& text) : s_(text) {}

  std::vector<XmlElement> parseAll() {
    std::vector<XmlElement> out;
    skipSpace();
    while (ok_ && pos_ < s_.size()) {
      out.push_back(element());
      skipSpace();
    }
    return out;
  }
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  void fail(const std::string& why) {
    if (ok_) error_ = why + " at " + std::to_string(pos_);
    ok_ = false;
    pos_ = s_.size();
  }
  void skipSpace() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\t' || s_[pos_] == '\r')) ++pos_;
  }
  bool expect(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    fail(std::string("expected ") + c);
    return false;
  }
  std::string name() {
    size_t start = pos_;
    while (pos_ < s_.size() && (isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_' || s_[pos_] == '.' || s_[pos_] == '-')) ++pos_;
    if (start == pos_) fail("expected a name");
    return s_.substr(start, pos_ - start);
  }
  // Decodes references up to the terminator; raw '<' or '&' without ';' is an error.
  std::string decoded(char terminator) {
    std::string out;
    while (ok_ && pos_ < s_.size() && s_[pos_] != terminator) {
      char c = s_[pos_];
      if (c == '<' && terminator == '"') return fail("raw < in attribute"), out;
      if (c == '"' && terminator == '<') { out += c; ++pos_; continue; }
      if (c != '&') {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') return fail("control byte"), out;
        out += c;
        ++pos_;
        continue;
      }
      size_t semi = s_.find(';', pos_);
      if (semi == std::string::npos) return fail("unterminated reference"), out;
      std::string ref = s_.substr(pos_ + 1, semi - pos_ - 1);
      pos_ = semi + 1;
      if (ref == "amp") out += '&';
      else if (ref == "lt") out += '<';
      else if (ref == "gt") out += '>';
      else if (ref == "quot") out += '"';
      else if (ref == "apos") out += '\'';
      else if (ref.size() > 2 && ref[0] == '#' && ref[1] == 'x') appendUtf8(out, std::strtoul(ref.c_str() + 2, nullptr, 16));
      else if (ref.size() > 1 && ref[0] == '#') appendUtf8(out, std::strtoul(ref.c_str() + 1, nullptr, 10));
      else return fail("unknown entity " + ref), out;
    }
    return out;
  }
  XmlElement element() {
    XmlElement e;
    if (!expect('<')) return e;
    e.name = name();
    for (;;) {
      skipSpace();
      if (!ok_ || pos_ >= s_.size()) return fail("unterminated tag"), e;
      if (s_[pos_] == '/') {
        ++pos_;
        expect('>');
        return e;
      }
      if (s_[pos_] == '>') {
        ++pos_;
        break;
      }
      std::string attr = name();
      if (!expect('=') || !expect('"')) return e;
      std::string value = decoded('"');
      expect('"');
      if (e.attributes.count(attr)) fail("duplicate attribute " + attr);
      e.attributes[attr] = value;
    }
    for (;;) {
      std::string text = decoded('<');
      e.text += text;
      if (!ok_ || pos_ + 1 >= s_.size()) return fail("unterminated element " + e.name), e;
      if (s_[pos_ + 1] == '/') {
        pos_ += 2;
        std::string end = name();
        if (end != e.name) fail("mismatched end " + end);
        skipSpace();
        expect('>');
        return e;
      }
      e.children.push_back(element());
    }
  }

  const std::string& s_;
  size_t pos_ = 0;
  bool ok_ = true;
  std::string error_;
};

}  // namespace

std::vector<XmlElement> parseXml(const std::string& text) {
  MiniXml parser(text);
  auto elements = parser.parseAll();
  EXPECT_TRUE(parser.ok()) << parser.error() << "\n" << text;
  return elements;
}

vn::HintLibNode toLibNode(const XmlElement& element, const std::string& key) {
  vn::HintLibNode node;
  node.key = key;
  node.value = element.text;
  static const std::map<std::string, int32_t> types{
      {"string", vn::HintLibNode::kString}, {"integer", vn::HintLibNode::kInteger},
      {"real", vn::HintLibNode::kReal},     {"true", vn::HintLibNode::kTrue},
      {"false", vn::HintLibNode::kFalse},   {"data", vn::HintLibNode::kData},
      {"array", vn::HintLibNode::kArray},   {"dict", vn::HintLibNode::kDict}};
  auto it = types.find(element.name);
  EXPECT_NE(it, types.end()) << element.name;
  node.type = it == types.end() ? vn::HintLibNode::kString : it->second;
  if (node.type == vn::HintLibNode::kDict) {
    for (size_t i = 0; i + 1 < element.children.size(); i += 2) {
      EXPECT_EQ(element.children[i].name, "key");
      node.children.push_back(toLibNode(element.children[i + 1], element.children[i].text));
    }
  } else if (node.type == vn::HintLibNode::kArray) {
    for (const auto& child : element.children) node.children.push_back(toLibNode(child, ""));
  }
  return node;
}

int readProgramText(vn::ttInterpreter& interpreter, const std::string& text, const vn::Layer& layer) {
  int added = 0;
  for (const auto& program : parseXml(text)) {
    EXPECT_EQ(program.name, "ttProgram");
    for (const auto& ttc : program.children) {
      EXPECT_EQ(ttc.name, "ttc");
      if (interpreter.addCommandFromXml(ttc.attributes, layer)) ++added;
    }
  }
  return added;
}

}  // namespace hinttest
