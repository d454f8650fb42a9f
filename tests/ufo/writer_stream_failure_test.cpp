// Text the layout could not hold whole (its stream's buffer could not grow) fails the
// write: no features.fea or layout document is written cut off, and none is left out
// as if the font had none.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/stream_fault_layout.h"
#include "ufo_fixtures.h"

namespace {

namespace fs = std::filesystem;
using testsupport::StreamFault;

constexpr const char* kDocumentMember = "data/com.quorvel.v2.otl.ttx.xml";

TEST(WriterStreamFailure, ACutOffLayoutTextFailsTheWrite) {
  struct Case {
    StreamFault fault;
    bool written;
  };
  const Case cases[] = {
      {StreamFault::kNone, true},
      {StreamFault::kFeatureText, false},
      {StreamFault::kDocument, false},
      {StreamFault::kDocumentThrows, false},
  };
  for (const Case& c : cases) {
    const int number = static_cast<int>(c.fault);
    testsupport::StreamFaultScope scope(c.fault);
    ufotest::BuiltFont built;
    built.addGlyph("a");
    ASSERT_NE(built.font().layout.layout(), nullptr);  // made by the faulty factory
    ufotest::TempFolder temp;
    const fs::path ufo = temp.path() / "F.ufo";
    ufo::WriterOptions options;
    options.ttx = 1;
    EXPECT_EQ(ufotest::writeUfo(built.pair, ufo, options), c.written) << "fault " << number;
    if (c.written) {
      EXPECT_EQ(ufotest::readFile(ufo / "features.fea"), testsupport::kFaultFeatureText);
      EXPECT_EQ(ufotest::readFile(ufo / kDocumentMember), testsupport::kFaultDocument);
    }
    // Neither text is ever written cut off.
    if (!c.written) {
      EXPECT_FALSE(fs::exists(ufo / kDocumentMember)) << "fault " << number;
    }
    if (c.fault == StreamFault::kFeatureText) {
      EXPECT_FALSE(fs::exists(ufo / "features.fea"));
    }
  }
}

}  // namespace
