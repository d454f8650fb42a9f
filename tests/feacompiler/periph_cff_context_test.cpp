// The CFF compiler context the core owns: standard strings, predefined charsets, the hint
// checks, and creation and teardown through the client's memory calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

#include "builder_harness.h"
#include "feacompiler/tables/cff_context.h"

namespace {

// Names found back by their standard ids (through the name-sorted table); the names
// themselves are judged by fontTools below.
TEST(PeriphCff, StandardStringsFoundByName) {
  for (int sid = 0; sid < fea::kStdStringCount; ++sid) {
    EXPECT_EQ(fea::sindexStandardId(fea::sindexStandardName(sid)), sid) << sid;
  }
  EXPECT_EQ(fea::sindexStandardName(391), nullptr);
  EXPECT_EQ(fea::sindexStandardId("uni0041"), -1);
}

// Every standard string and every predefined charset, judged by fontTools.
TEST(PeriphCff, TablesAgreeWithTheJudge) {
  namespace fs = std::filesystem;
  fs::path file = fs::temp_directory_path() / ("tw_periph_cff_" + std::to_string(::getpid()));
  {
    std::ofstream out(file);
    for (int sid = 0; sid < fea::kStdStringCount; ++sid) out << fea::sindexStandardName(sid) << ' ';
    for (int which = 0; which < 3; ++which) {
      long n = 0;
      const uint16_t* sids = fea::cffCharsetSids(which, &n);
      out << '\n';
      for (long i = 0; i < n; ++i) out << fea::sindexStandardName(sids[i]) << ' ';
    }
    out << '\n';
  }
  std::string script =
      "import sys\n"
      "try:\n from fontTools import cffLib as c\nexcept ImportError:\n sys.exit(77)\n"
      "lines = open(sys.argv[1]).read().split('\\n')\n"
      "want = [c.cffStandardStrings, c.cffISOAdobeStrings[1:], c.cffIExpertStrings[1:],"
      " c.cffExpertSubsetStrings[1:]]\n"
      "sys.exit(0 if [l.split() for l in lines[:4]] == [list(w) for w in want] else 1)\n";
  fs::path py = file.string() + ".py";
  std::ofstream(py) << script;
  int status = std::system((std::string(TARNWICK_PYTHON) + " " + py.string() + " " +
                            file.string()).c_str());
  fs::remove(file);
  fs::remove(py);
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (code == 77) GTEST_SKIP() << "fontTools absent";
  EXPECT_EQ(code, 0);
}

// Counts every block the context takes and gives back through the client's memory calls.
struct Ledger {
  std::map<void*, size_t> live;
  int allocations = 0, releases = 0, strays = 0;
  std::vector<std::string> messages;
};

struct CffFatal {};

fea::CffCallbacks countingCallbacks(Ledger* ledger) {
  fea::CffCallbacks cb{};
  cb.clientData = ledger;
  cb.allocate = [](void* c, size_t size) {
    auto* l = static_cast<Ledger*>(c);
    void* p = std::malloc(size);
    l->live[p] = size;
    ++l->allocations;
    return p;
  };
  cb.resize = [](void* c, void* block, size_t size) {
    auto* l = static_cast<Ledger*>(c);
    l->live.erase(block);
    void* p = std::realloc(block, size);
    l->live[p] = size;
    return p;
  };
  cb.release = [](void* c, void* block) {
    auto* l = static_cast<Ledger*>(c);
    if (l->live.erase(block) == 0) ++l->strays;  // not ours, or released twice
    ++l->releases;
    std::free(block);
  };
  cb.message = [](void* c, int level, const char* text) {
    static_cast<Ledger*>(c)->messages.push_back(std::to_string(level) + " " + text);
  };
  cb.fatal = [](void*) { throw CffFatal{}; };
  return cb;
}

TEST(PeriphCff, CreationStateAndTeardown) {
  Ledger ledger;
  fea::CffCompilerContext* h = nullptr;
  {
    fea::CffCallbacks temporary = countingCallbacks(&ledger);
    h = fea::cffCompilerNew(&temporary);
  }  // the set is copied
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(fea::cffCurrentStore(), h->store);

  // Charsets: ISOAdobe, Expert, ExpertSubset; each starts with "space".
  const auto& charsets = h->charsets->items;
  ASSERT_EQ(charsets.count, 3);
  EXPECT_EQ(charsets.capacity, 4);
  const long sizes[] = {228, 165, 86};
  const uint16_t lastSids[] = {228, 378, 346};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(charsets.array[i].nSIDs, sizes[i]);
    EXPECT_STREQ(fea::sindexStandardName(charsets.array[i].sids[0]), "space");
    EXPECT_EQ(charsets.array[i].sids[sizes[i] - 1], lastSids[i]);
  }
  // Nothing else holds storage; the warning counters start at 0 with their texts.
  EXPECT_EQ(h->strings->custom.capacity + h->strings->bytes.capacity, 0);
  EXPECT_EQ(h->t1->arrays[0].capacity + h->hint->arrays[0].capacity, 0);
  EXPECT_EQ(h->holder->records.capacity + h->buffers->items.capacity, 0);
  EXPECT_EQ(h->t1->tokenizer, nullptr);
  const char* texts[] = {
      "stem/stem3 conflict (resolved)", "negative non-edge stem width (fixed)",
      "negative non-edge stem width (can't fix)", "consecutive hint substitutions (collapsed)",
      "hint overlap", "repeat hint substitution (discarded)", "unhinted", "inconsistent flex",
      "non-perpendicular flex", "suspect flex args", "no move after closepath (inserted)",
      "moveto precedes closepath (discarded)", "moveto sequence (collapsed)",
      "argcnt != 22 (12 callother)", "illegal setcurrentpt (converted to move)",
      "sbw with vertical width (ignored)"};
  for (int k = 0; k < fea::kHintCheckCount; ++k) {
    EXPECT_STREQ(h->hint->warnings[k].text, texts[k]);
    EXPECT_EQ(h->hint->warnings[k].count, 0);
  }

  int created = ledger.allocations;
  EXPECT_GT(created, 10);
  fea::cffCompilerFree(h);
  EXPECT_TRUE(ledger.live.empty());
  EXPECT_EQ(ledger.releases, created);
  EXPECT_EQ(ledger.strays, 0);
  EXPECT_EQ(fea::cffCurrentStore(), nullptr);
}

TEST(PeriphCff, CustomStringsFollowTheStandardOnes) {
  Ledger ledger;
  fea::CffCallbacks cb = countingCallbacks(&ledger);
  fea::CffCompilerContext* h = fea::cffCompilerNew(&cb);
  const std::pair<std::string, int> cases[] = {
      {"space", 1}, {"uni0416", 391}, {"Semibold", 390}, {"ab", 392}, {"uni0416", 391},
      {"zz", 393}, {"ab", 392}};
  for (const auto& [name, sid] : cases)
    EXPECT_EQ(fea::sindexGetId(h, name.data(), name.size()), sid) << name;
  for (const auto& [sid, name] : {std::pair<uint16_t, std::string>{393, "zz"}, {0, ".notdef"}}) {
    size_t length = 0;
    const char* text = fea::sindexGetString(h, sid, &length);
    EXPECT_EQ(std::string(text, length), name);
  }
  // A string longer than a 16-bit length can hold is refused, naming the source font.
  h->cb.fontName = [](void*) { return "Src"; };
  std::string huge(70000, 'x');
  EXPECT_THROW(fea::sindexGetId(h, huge.data(), huge.size()), CffFatal);
  EXPECT_EQ(ledger.messages,
            (std::vector<std::string>{"3 --- Source font: Src", "3 string too long [Src]"}));
  fea::cffCompilerFree(h);
  EXPECT_TRUE(ledger.live.empty());
  EXPECT_EQ(ledger.strays, 0);
}

TEST(PeriphCff, CoreCreatesAndFreesIt) {
  builder_test::TestClient client;
  fea::coreContext* g = fea::coreNew(&client);
  ASSERT_NE(g->cffCompiler, nullptr);
  EXPECT_EQ(g->cffCompiler->charsets->items.count, 3);
  EXPECT_EQ(g->cffCompiler->cb.clientData, g);
  fea::coreReuse(g);  // a reset between compiles leaves it alone
  EXPECT_EQ(g->cffCompiler->charsets->items.count, 3);
  fea::coreFree(g);  // the sanitizer build checks nothing is left
  EXPECT_TRUE(client.messages.empty());
}

}  // namespace
