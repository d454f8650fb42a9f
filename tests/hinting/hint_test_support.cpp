#include "hint_test_support.h"

#include <gtest/gtest.h>

#include "xml/xml_parser.h"

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

// Builds the element tree from the XML reader's events; the document's own root is a
// wrapper, so a sequence of elements can be read.
class TreeReader : public xml::XmlParser {
 public:
  std::vector<XmlElement> open{XmlElement{}};
  void startElement(const char* name, const char** attributes) override {
    XmlElement element{name, {}, {}, {}};
    for (int i = 0; attributes[i]; i += 2) element.attributes[attributes[i]] = attributes[i + 1];
    open.push_back(std::move(element));
  }
  void endElement(const char*) override {
    XmlElement done = std::move(open.back());
    open.pop_back();
    open.back().children.push_back(std::move(done));
  }
  void characterData(const char* text, int length) override { open.back().text.append(text, length); }
};

}  // namespace

std::vector<XmlElement> parseXml(const std::string& text) {
  TreeReader reader;
  EXPECT_TRUE(reader.parseBuffer("<wrapper>" + text + "</wrapper>")) << reader.errorMessage() << "\n" << text;
  if (reader.open.front().children.empty()) return {};
  return std::move(reader.open.front().children.front().children);
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
