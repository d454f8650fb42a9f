#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "model/encodings.h"

namespace vn {
namespace {

void expectSortedByName(const EncodingTable& table) {
  const auto entries = table.entries();
  for (size_t i = 1; i < entries.size(); ++i) {
    EXPECT_LT(std::string(entries[i - 1].name), std::string(entries[i].name)) << "at " << i;
  }
}

// Every code in the index leads back to an entry with that code, and every
// entry is reachable from its code.
void expectIndexConsistent(const EncodingTable& table) {
  size_t indexed = 0;
  for (int code = 0; code < 256; ++code) {
    const uint16_t position = table.indexOfCode(code);
    if (position == EncodingTable::kNoEntry) continue;
    ASSERT_LT(position, table.size());
    EXPECT_EQ(table.entries()[position].code, code);
    ++indexed;
  }
  EXPECT_EQ(indexed, table.size());
}

TEST(Encodings, StandardTableMatchesTheReferenceList) {
  const std::filesystem::path path = TARNWICK_SHARED_DIR "/data/standard-encoding.tsv";
  std::ifstream in(path);
  if (!in) GTEST_SKIP() << "no reference list at " << path;

  std::map<std::string, int> reference;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int code = 0;
    std::string name;
    ASSERT_TRUE(fields >> code >> name) << line;
    reference.emplace(name, code);
  }
  const EncodingTable& table = Encodings::standard();
  ASSERT_EQ(table.size(), reference.size());
  // std::map orders the names byte-wise, as the table is stored.
  size_t position = 0;
  for (const auto& [name, code] : reference) {
    EXPECT_EQ(table.entries()[position].name, name);
    EXPECT_EQ(table.entries()[position].code, code);
    EXPECT_EQ(Encodings::standardCodeForName(name), code) << name;
    ++position;
  }
}

TEST(Encodings, StandardLookupsAreCaseSensitive) {
  EXPECT_EQ(Encodings::standardCodeForName("A"), 65);
  EXPECT_EQ(Encodings::standardCodeForName("AE"), 225);
  EXPECT_EQ(Encodings::standardCodeForName("space"), 32);
  EXPECT_EQ(Encodings::standardCodeForName("a"), 97);
  EXPECT_EQ(Encodings::standardCodeForName("Euro"), -1);
  EXPECT_EQ(Encodings::standardCodeForName("ae"), 241);
  EXPECT_EQ(Encodings::standardCodeForName("Ae"), -1);
  EXPECT_EQ(Encodings::standardCodeForName(""), -1);
  EXPECT_EQ(Encodings::standardCodeForName("zzzz"), -1);
  EXPECT_EQ(Encodings::standardCodeForName(std::string("A\0B", 3)), -1);
  expectSortedByName(Encodings::standard());
  expectIndexConsistent(Encodings::standard());
}

TEST(Encodings, OtherTablesAreSortedAndIndexedBothWays) {
  struct Expect {
    const EncodingTable& table;
    size_t size;
    int code;
    const char* name;
    int absentCode;
  };
  const Expect cases[] = {
      {Encodings::table255(), 255, 219, "Euro", 0},
      {Encodings::table228(), 228, 45, "minus", 127},
      {Encodings::table223(), 223, 1, "NULL", 3},
  };
  for (const Expect& expect : cases) {
    SCOPED_TRACE(expect.name);
    EXPECT_EQ(expect.table.size(), expect.size);
    expectSortedByName(expect.table);
    expectIndexConsistent(expect.table);
    const EncodingEntry* entry = expect.table.entryForCode(expect.code);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->name, expect.name);
    EXPECT_EQ(expect.table.codeForName(expect.name), expect.code);
    EXPECT_EQ(expect.table.indexOfCode(expect.absentCode), EncodingTable::kNoEntry);
    EXPECT_EQ(expect.table.entryForCode(expect.absentCode), nullptr);
    EXPECT_EQ(expect.table.indexOfCode(256), EncodingTable::kNoEntry);
    EXPECT_EQ(expect.table.indexOfCode(-1), EncodingTable::kNoEntry);
  }
  // The same name sits at different codes in different tables.
  EXPECT_EQ(Encodings::table255().codeForName("hyphen"), 45);
  EXPECT_EQ(Encodings::table228().codeForName("hyphen"), 173);
  EXPECT_EQ(Encodings::table223().codeForName("Zcaron"), 142);
}

}  // namespace
}  // namespace vn
