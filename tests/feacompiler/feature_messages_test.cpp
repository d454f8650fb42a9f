// Warnings of the feature layer as the client receives them (the command-line tool shows
// only errors): the texts are the compiler's own and are given word for word.
#include <string>

#include "builder_harness.h"
#include "feacompiler/feat_context.h"
#include "feacompiler/glyph_map.h"

namespace {

// The messages of the feature layer's fill of a text, one "level text" a line.
std::vector<std::string> fillMessages(const std::string& text) {
  builder_test::FeedClient client(text);
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

}  // namespace
