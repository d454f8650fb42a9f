#include <gtest/gtest.h>

#include <set>
#include <string>

#include "codec_fixture.h"
#include "layout/lookup_kind_table.h"
#include "layout/text/layout_xml_handlers.h"

namespace {

using codec_test::Glyphs;

// What the rest of the program relies on for each kind: the number the lookup list
// prints, the binary type, the words messages use and the document element.
struct KindCase {
  uint32_t typeCode;
  uint32_t tableId;
  uint16_t binaryType;
  const char* name;
  const char* element;  // null: the Extension wrapper
};

const KindCase kCases[] = {
    {1, otl::kTableGpos, 1, "single adjustment positioning", "SinglePos"},
    {2, otl::kTableGpos, 2, "pair adjustment positioning", "PairPos"},
    {3, otl::kTableGpos, 3, "cursive attachment positioning", "CursivePos"},
    {4, otl::kTableGpos, 4, "mark-to-base attachment positioning", "MarkBasePos"},
    {5, otl::kTableGpos, 5, "mark-to-ligature attachment positioning", "MarkLigPos"},
    {6, otl::kTableGpos, 6, "mark-to-mark attachment positioning", "MarkMarkPos"},
    {7, otl::kTableGpos, 7, "contextual positioning", "ContextPos"},
    {8, otl::kTableGpos, 8, "chained contextual positioning", "ChainContextPos"},
    {9, otl::kTableGpos, 9, "extension positioning", nullptr},
    {11, otl::kTableGsub, 1, "single substitution", "SingleSubst"},
    {12, otl::kTableGsub, 2, "multiple substitution", "MultipleSubst"},
    {13, otl::kTableGsub, 3, "alternate substitution", "AlternateSubst"},
    {14, otl::kTableGsub, 4, "ligature substitution", "LigatureSubst"},
    {15, otl::kTableGsub, 5, "contextual substitution", "ContextSubst"},
    {16, otl::kTableGsub, 6, "chained contextual substitution", "ChainContextSubst"},
    {17, otl::kTableGsub, 7, "extension substitution", nullptr},
    {18, otl::kTableGsub, 8, "reverse chained contextual substitution", "ReverseChainSingleSubst"},
};

TEST(LookupKinds, EveryKindHasOneCompleteRow) {
  ASSERT_EQ(otl::lookupKinds().size(), std::size(kCases));
  std::set<std::string> names, elements;
  for (const KindCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const otl::LookupKindRow* row = otl::findLookupKind(c.tableId, c.typeCode);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->binaryType, c.binaryType);
    EXPECT_STREQ(row->name, c.name);
    EXPECT_STREQ(otl::lookupKindName(c.typeCode), c.name);
    EXPECT_TRUE(names.insert(row->name).second);
    // kind -> binary type -> kind, and never a kind of the other table.
    EXPECT_EQ(otl::findBinaryLookupKind(c.tableId, c.binaryType), row);
    EXPECT_EQ(otl::fromBinaryLookupType(otl::toBinaryLookupType(c.typeCode, c.tableId), c.tableId), c.typeCode);
    const uint32_t otherTable = c.tableId == otl::kTableGsub ? otl::kTableGpos : otl::kTableGsub;
    EXPECT_EQ(otl::findLookupKind(otherTable, c.typeCode), nullptr);
    EXPECT_EQ(otl::toBinaryLookupType(c.typeCode, otherTable), 0);

    const bool extension = c.element == nullptr;
    EXPECT_EQ(row->extension, extension);
    EXPECT_EQ(otl::isWritableKind(c.tableId, c.typeCode), !extension);
    Glyphs g;
    auto subtable = otl::createSubtable(c.tableId, c.typeCode, g.holder);
    if (extension) {
      EXPECT_EQ(subtable, nullptr);
      EXPECT_TRUE(row->xmlElement == nullptr && row->xmlReader == nullptr && row->xmlWriter == nullptr);
      continue;
    }
    ASSERT_NE(subtable, nullptr);
    EXPECT_EQ(subtable->tableId, c.tableId);
    EXPECT_EQ(subtable->typeCode, c.typeCode);
    EXPECT_STREQ(row->xmlElement, c.element);
    EXPECT_TRUE(elements.insert(row->xmlElement).second);
    EXPECT_EQ(otl::findXmlLookupKind(c.element), row);
    ASSERT_NE(row->xmlWriter, nullptr);
    // The element's reader takes the subtable the factory made.
    const auto parser = otl::xml::createSubtableParser(std::move(subtable), 1);
    ASSERT_NE(parser, nullptr);
    EXPECT_EQ(parser->subtable->typeCode, c.typeCode);
  }
}

TEST(LookupKinds, FlagsAndUnknownCodes) {
  const struct {
    uint32_t tableId, typeCode;
    bool contextual, markAttachment;
  } flags[] = {
      {otl::kTableGpos, 4, false, true},  {otl::kTableGpos, 5, false, true},  {otl::kTableGpos, 6, false, true},
      {otl::kTableGpos, 7, true, false},  {otl::kTableGpos, 8, true, false},  {otl::kTableGsub, 15, true, false},
      {otl::kTableGsub, 16, true, false}, {otl::kTableGsub, 18, false, false}, {otl::kTableGpos, 2, false, false},
      {otl::kTableGsub, 7, false, false},  // a GPOS number under GSUB is no kind at all
  };
  for (const auto& f : flags) {
    EXPECT_EQ(otl::isContextualKind(f.tableId, f.typeCode), f.contextual) << f.typeCode;
    EXPECT_EQ(otl::isMarkAttachmentKind(f.tableId, f.typeCode), f.markAttachment) << f.typeCode;
  }
  for (uint32_t code : {0u, 10u, 19u, 100u}) {
    EXPECT_STREQ(otl::lookupKindName(code), "unknown lookup kind") << code;
    EXPECT_FALSE(otl::isWritableKind(otl::kTableGsub, code) || otl::isWritableKind(otl::kTableGpos, code)) << code;
  }
  // Binary types beyond each table's range, and table ids that are neither.
  EXPECT_EQ(otl::fromBinaryLookupType(0, otl::kTableGpos), 0u);
  EXPECT_EQ(otl::fromBinaryLookupType(9, otl::kTableGsub), 0u);
  EXPECT_EQ(otl::fromBinaryLookupType(10, otl::kTableGpos), 0u);
  EXPECT_EQ(otl::fromBinaryLookupType(1, otl::kTableGdef), 0u);
  EXPECT_EQ(otl::findXmlLookupKind("Lookup"), nullptr);
  EXPECT_EQ(otl::findXmlLookupKind("ExtensionPos"), nullptr);
}

}  // namespace
