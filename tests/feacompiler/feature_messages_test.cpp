// Warnings of the feature layer as the client receives them (the command-line tool shows
// only errors): the texts are the compiler's own and are given word for word.
#include <string>

#include "builder_harness.h"
#include "feacompiler/feat_context.h"
#include "feacompiler/glyph_map.h"

namespace {

// A client that serves one feature text as the main file.
class TextClient : public builder_test::TestClient {
 public:
  explicit TextClient(std::string text) : text_(std::move(text)) {}
  bool featOpen(const char* name, long, std::string& opened) override {
    if (name) return false;
    opened = "features";
    served_ = false;
    return true;
  }
  const char* featRefill(size_t& count) override {
    count = served_ ? 0 : text_.size();
    served_ = true;
    return count ? text_.data() : nullptr;
  }

 private:
  std::string text_;
  bool served_ = false;
};

// The messages of the feature layer's fill of a text, one "level text" a line.
std::vector<std::string> fillMessages(const std::string& text) {
  TextClient client(text);
  fea::coreContext* g = fea::coreNew(&client);
  g->fontName = "Font";
  static const char* const kNames[] = {".notdef", "a", "b"};
  g->glyphs.resize(3);
  for (size_t i = 0; i < 3; ++i) g->glyphs[i].name = kNames[i];
  fea::mapSetup(g);
  try {
    fea::featFill(g);
  } catch (const builder_test::Fatal& f) {
    ADD_FAILURE() << f.text;
  }
  fea::coreFree(g);
  return client.messages;
}

bool holds(const std::vector<std::string>& messages, const std::string& text) {
  for (const std::string& m : messages) {
    if (m.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(FeatureMessages, WarningTexts) {
  const struct {
    const char* text;
    const char* warning;
  } cases[] = {
      {"languagesystem latn dflt;\nlanguagesystem latn dflt;\n",
       "1 <Font> Duplicate specification of language system"},
      {"languagesystem DFLT DFLT;\n",
       "1 <Font> 'DFLT' is not a valid language tag for a languagesystem  statement; using 'dflt'."},
  };
  for (const auto& c : cases) {
    std::vector<std::string> messages = fillMessages(c.text);
    std::string all;
    for (const std::string& m : messages) all += m + "\n";
    EXPECT_TRUE(holds(messages, c.warning)) << c.text << all;
  }
}

}  // namespace
