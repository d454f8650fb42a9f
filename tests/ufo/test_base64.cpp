#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "ufo/base64.h"

namespace {

std::string decodeMode(const std::string& text, int mode) {
  std::istringstream in(text);
  std::ostringstream out;
  ufo::DataUriDecoder decoder;
  decoder.decode(&in, mode, &out);
  return out.str();
}

TEST(Base64, Rfc4648TestVectorsBothWays) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : vectors) {
    const std::string expected = *encoded ? std::string(encoded) + "\r\n" : "";
    EXPECT_EQ(ufo::encodeBase64(plain, 40), expected) << plain;
    EXPECT_EQ(ufo::encodeBase64(plain, 0), expected) << plain;
    EXPECT_EQ(ufo::decodeBase64(encoded), plain) << encoded;
  }
}

TEST(Base64, LinesOfWholeGroupsEachEndedByCrLf) {
  const std::string text = ufo::encodeBase64(std::string(31, 'x'), 40);
  EXPECT_EQ(text.substr(40), "\r\neA==\r\n");
  EXPECT_EQ(ufo::encodeBase64("abcdef", 7), "YWJj\r\nZGVm\r\n");  // cut to whole groups
  EXPECT_EQ(ufo::encodeBase64(std::string(30, 'y'), 40).size(), 42u);  // one full line: no empty line
  std::istringstream in("abc");
  std::ostringstream out;
  EXPECT_TRUE(ufo::encodeBase64(in, out, 0, "x"));
  EXPECT_EQ(out.str(), "data:image/png;charset=US-ASCII;base64,YWJj\r\n");
}

TEST(Base64, DecodingCarriesBitsAcrossLinesAndStopsAtLineEnds) {
  EXPECT_EQ(ufo::decodeBase64("YW\nJj\n"), "abc");
  EXPECT_EQ(ufo::decodeBase64("  Zm9v\r\n  YmFy\r\n"), "foobar");
  // Padding ends a group: its spare bits do not shift the next line.
  EXPECT_EQ(ufo::decodeBase64("YQ==\nYg==\n"), "ab");
  // In the body, garbage ends a line and what came before it stays; before the
  // body, a line that is not base64 is a header line.
  EXPECT_EQ(ufo::decodeBase64("Zm9v\nYmFy!!!!\nYmF6"), "foobarbaz");
  EXPECT_EQ(ufo::decodeBase64("Zm9v!!!!\nYmFy"), "bar");

  std::mt19937 random(7);
  std::string bytes(10000, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  EXPECT_EQ(ufo::decodeBase64(ufo::encodeBase64(bytes, 40)), bytes);
  EXPECT_EQ(ufo::decodeBase64(ufo::encodeBase64(bytes, 76)), bytes);
}

TEST(Base64, MimeHeadersChooseWhetherTheBodyIsDecoded) {
  EXPECT_EQ(ufo::decodeBase64("Content-Type: text/xml; name=\"a.xml\"\n"
                              "Content-transfer-encoding: base64\n\nYWJj\n"),
            "abc");
  EXPECT_EQ(ufo::decodeBase64("Content-Transfer-Encoding: quoted-printable\nYWJj\nZGVm\n"), "");
  EXPECT_EQ(ufo::decodeBase64("X-Other: base64\nYWJj\n"), "abc");
}

TEST(Base64, DataUriLines) {
  const std::pair<const char*, const char*> cases[] = {
      {"data:image/png;base64,YWJj\n", "abc"},
      {"DATA:image/PNG ; charset=US-ASCII ; BASE64,Zm9v\n", "foo"},
      // Without "base64", without a comma, two lines or not a data URI: nothing at all.
      {"data:image/png,YWJj\n", ""},
      {"data:image/png;base64\n", ""},
      {"data:image/png;base64,YWJj\nYWJj\n", ""},
      {"data:image/pngx;base64,YWJj\n", ""},
  };
  for (const auto& [text, decoded] : cases) EXPECT_EQ(decodeMode(text, ufo::DataUriDecoder::kModeDataUri), decoded) << text;
  ufo::DataUriDecoder decoder;
  std::istringstream in("YWJj");
  decoder.decode(&in, ufo::DataUriDecoder::kModePlain, nullptr);  // no output stream: nothing
  EXPECT_TRUE(decoder.output().empty());
}

TEST(Base64, HostileInputDoesNotCrash) {
  std::string noise;
  std::mt19937 random(11);
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>(random());
  const std::string decoded = ufo::decodeBase64(noise);
  EXPECT_LE(decoded.size(), noise.size());
  EXPECT_EQ(decodeMode(noise, ufo::DataUriDecoder::kModeDataUri), "");
}

}  // namespace
