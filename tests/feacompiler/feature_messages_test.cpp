// Warnings of the feature layer as the client receives them (the command-line tool shows
// only errors): the texts are the compiler's own and are given word for word.
#include <string>

#include "builder_harness.h"
#include "feacompiler/feat_context.h"
#include "feacompiler/feat_nodes.h"
#include "feacompiler/glyph_map.h"

namespace {

// The messages of the feature layer's fill of a text, one "level text" a line; `fatal`
// tells whether the fill ended the compile.
std::vector<std::string> fillMessages(const std::string& text, bool* fatal = nullptr) {
  builder_test::FeedClient client(text);
  fea::coreContext* g = fea::coreNew(&client);
  g->fontName = "Font";
  static const char* const kNames[] = {".notdef", "a", "b"};
  g->glyphs.resize(3);
  for (size_t i = 0; i < 3; ++i) g->glyphs[i].name = kNames[i];
  fea::mapSetup(g);
  if (fatal) *fatal = false;
  try {
    fea::featFill(g);
  } catch (const builder_test::Fatal& f) {
    if (fatal) *fatal = true;
    else ADD_FAILURE() << f.text;
  }
  fea::coreFree(g);
  return client.messages;
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
    std::string all;
    for (const std::string& m : fillMessages(c.text)) all += m + "\n";
    EXPECT_NE(all.find(std::string(c.warning) + "\n"), std::string::npos) << c.text << all;
  }
}

// The parser's syntax-error line reaches the client like every other message, as a line
// shown as it stands, right before the fatal message that ends the compile.
TEST(FeatureMessages, SyntaxErrorsGoToTheClient) {
  const struct {
    const char* text;
    const char* line;
  } cases[] = {
      {"feature liga { sub a by b } liga;\n", "syntax error at \"}\" missing \";\""},
      {"feature liga { sub a by b;\n", "syntax error at \"EOF\" missing \"}\""},
      {"lookup L;\n", "syntax error at \";\" missing { useExtension \"{\" }"},
  };
  for (const auto& c : cases) {
    bool fatal = false;
    const auto messages = fillMessages(std::string("languagesystem DFLT dflt;\n") + c.text, &fatal);
    EXPECT_TRUE(fatal) << c.text;
    const std::vector<std::string> expected{"4 " + std::string(c.line), "3 <Font> aborting because of errors"};
    EXPECT_EQ(messages, expected) << c.text;
  }
}

// Recycling more than 100,000 class members in one call says so through the client.
TEST(FeatureMessages, RecyclingGuardGoesToTheClient) {
  const struct {
    size_t members;
    std::vector<std::string> messages;
  } cases[] = {
      {100000, {}},
      {100001, {"4 Vevazer [WARNING]: Timeout in featRecycleNode. Possible error."}},
  };
  for (const auto& c : cases) {
    builder_test::TestClient client;
    fea::coreContext* g = fea::coreNew(&client);
    fea::GlyphNode* head = fea::featNewNode(g);
    fea::GlyphNode* last = head;
    for (size_t i = 1; i < c.members; ++i) last = last->nextCl = fea::featNewNode(g);
    fea::featRecycleNode(g, head);
    fea::coreFree(g);
    EXPECT_EQ(client.messages, c.messages) << c.members;
  }
}

}  // namespace
