// Replays the committed regression inputs of every fuzz target through the entry
// function its fuzzer calls: each input must end in order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../../fuzz/cff_reader/cff_reader_entry.h"
#include "../../fuzz/fea_compiler/fea_compiler_entry.h"
#include "../../fuzz/glif/glif_entry.h"
#include "../../fuzz/layout_xml/layout_xml_entry.h"
#include "../../fuzz/native_reader/native_reader_entry.h"
#include "../../fuzz/otl_codecs/otl_codecs_entry.h"
#include "../../fuzz/otl_tables/otl_tables_entry.h"
#include "../../fuzz/plist/plist_entry.h"
#include "../../fuzz/ufoz/ufoz_entry.h"
#include "../../fuzz/xml/xml_entry.h"

namespace {

struct Target {
  const char* name;
  bool (*entry)(const std::uint8_t*, std::size_t);
};

TEST(FuzzReplay, EveryCommittedInputEndsInOrder) {
  const Target targets[] = {{"glif", fuzz::glifEntry},
                            {"native_reader", fuzz::nativeReaderEntry},
                            {"plist", fuzz::plistEntry},
                            {"xml", fuzz::xmlEntry},
                            {"ufoz", fuzzUfozEntry},
                            {"fea_compiler", fuzz::feaCompilerEntry},
                            {"otl_tables", fuzz::otlTablesEntry},
                            {"otl_codecs", fuzz::otlCodecsEntry},
                            {"layout_xml", fuzz::layoutXmlEntry},
                            {"cff_reader", fuzz::cffReaderEntry}};
  for (const Target& target : targets) {
    const auto folder = std::filesystem::path(TARNWICK_SOURCE_DIR) / "fuzz" / target.name / "corpus";
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      EXPECT_TRUE(target.entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
          << target.name << "/" << entry.path().filename().string();
      ++replayed;
    }
    EXPECT_GT(replayed, 0) << target.name;
  }
  // The ufoz inputs name an absolute path that unpacking must never create.
  EXPECT_FALSE(std::filesystem::exists("/tmp/tarnwick-absolute.txt"));
}

}  // namespace
