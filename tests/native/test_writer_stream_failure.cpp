// Feature text the layout could not hold whole (its stream's buffer could not grow)
// fails the write: the file is neither written with the text cut off nor without it.
#include <gtest/gtest.h>

#include <sstream>

#include "support/stream_fault_layout.h"
#include "test_writer_support.h"

namespace {

using testsupport::StreamFault;

TEST(WriterStreamFailure, ACutOffFeatureTextFailsTheWrite) {
  for (const StreamFault fault : {StreamFault::kNone, StreamFault::kFeatureText}) {
    testsupport::StreamFaultScope scope(fault);
    writertest::TestFont f;
    f.addGlyph("a");
    ASSERT_NE(f.font().layout.layout(), nullptr);
    qtf::Writer writer;
    const uint8_t option = 1;
    std::ostringstream out(std::ios::binary);
    const bool written = writer.write(*f.pair, &option, &out);
    EXPECT_EQ(written, fault == StreamFault::kNone);
    // Written whole, the text is in the file.
    EXPECT_EQ(out.str().find("feature liga {") != std::string::npos, written);
  }
}

}  // namespace
