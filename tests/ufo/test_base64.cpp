// Base64 as glyph libs carry it (the -64 option): test vectors, whole groups per line,
// bits carried across lines, MIME headers and noise.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ufo/base64.h"

namespace {

TEST(Base64, Rfc4648TestVectorsBothWaysInLinesOfWholeGroups) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},   {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : vectors) {
    const std::string expected = *encoded ? std::string(encoded) + "\r\n" : "";
    EXPECT_EQ(ufo::encodeBase64(plain, 40), expected) << plain;
    EXPECT_EQ(ufo::encodeBase64(plain, 0), expected) << plain;
    EXPECT_EQ(ufo::decodeBase64(encoded), plain) << encoded;
  }
  EXPECT_EQ(ufo::encodeBase64(std::string(31, 'x'), 40).substr(40), "\r\neA==\r\n");
  EXPECT_EQ(ufo::encodeBase64("abcdef", 7), "YWJj\r\nZGVm\r\n");  // cut to whole groups
  EXPECT_EQ(ufo::encodeBase64(std::string(30, 'y'), 40).size(), 42u);  // one full line: no empty line
}

TEST(Base64, DecodingAcrossLinesHeadersAndNoise) {
  const std::pair<const char*, const char*> cases[] = {
      {"YW\nJj\n", "abc"},
      {"  Zm9v\r\n  YmFy\r\n", "foobar"},
      {"YQ==\nYg==\n", "ab"},  // padding ends a group: its spare bits do not shift the next line
      // In the body, garbage ends a line and what came before it stays; before the
      // body, a line that is not base64 is a header line.
      {"Zm9v\nYmFy!!!!\nYmF6", "foobarbaz"},
      {"Zm9v!!!!\nYmFy", "bar"},
      // MIME headers choose whether the body is decoded.
      {"Content-Type: text/xml; name=\"a.xml\"\nContent-transfer-encoding: base64\n\nYWJj\n", "abc"},
      {"Content-Transfer-Encoding: quoted-printable\nYWJj\nZGVm\n", ""},
      {"X-Other: base64\nYWJj\n", "abc"},
  };
  for (const auto& [text, decoded] : cases) EXPECT_EQ(ufo::decodeBase64(text), decoded) << text;

  std::mt19937 random(7);
  std::string bytes(10000, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  EXPECT_EQ(ufo::decodeBase64(ufo::encodeBase64(bytes, 40)), bytes);
  EXPECT_EQ(ufo::decodeBase64(ufo::encodeBase64(bytes, 76)), bytes);
  std::string noise(200000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  EXPECT_LE(ufo::decodeBase64(noise).size(), noise.size());
}

}  // namespace
