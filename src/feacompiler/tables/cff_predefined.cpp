// The predefined encodings and charsets of the CFF format, as SIDs.
#include <array>
#include <span>
#include <vector>

#include "feacompiler/tables/cff_reader_impl.h"

namespace fea {

namespace {

struct CodeSid {
  uint8_t code;
  uint16_t sid;
};

// Standard encoding beyond the printable ASCII run (codes 32..126 are SIDs 1..95).
constexpr CodeSid kStandardHigh[] = {
    {161, 96},  {162, 97},  {163, 98},  {164, 99},  {165, 100}, {166, 101}, {167, 102},
    {168, 103}, {169, 104}, {170, 105}, {171, 106}, {172, 107}, {173, 108}, {174, 109},
    {175, 110}, {177, 111}, {178, 112}, {179, 113}, {180, 114}, {182, 115}, {183, 116},
    {184, 117}, {185, 118}, {186, 119}, {187, 120}, {188, 121}, {189, 122}, {191, 123},
    {193, 124}, {194, 125}, {195, 126}, {196, 127}, {197, 128}, {198, 129}, {199, 130},
    {200, 131}, {202, 132}, {203, 133}, {205, 134}, {206, 135}, {207, 136}, {208, 137},
    {225, 138}, {227, 139}, {232, 140}, {233, 141}, {234, 142}, {235, 143}, {241, 144},
    {245, 145}, {248, 146}, {249, 147}, {250, 148}, {251, 149}};

// Expert encoding: runs of consecutive codes with consecutive SIDs, and single entries.
struct CodeRun {
  uint8_t code;
  uint16_t sid;
  uint8_t length;
};
constexpr CodeRun kExpertRuns[] = {
    {32, 1, 1},    {33, 229, 2},  {36, 231, 6},  {42, 237, 2},  {44, 13, 3},   {47, 99, 1},
    {48, 239, 10}, {58, 27, 2},   {60, 249, 4},  {65, 253, 5},  {73, 258, 1},  {76, 259, 4},
    {82, 263, 3},  {86, 266, 1},  {87, 109, 2},  {89, 267, 3},  {93, 270, 1},  {94, 271, 3},
    {97, 274, 30}, {161, 304, 3}, {166, 307, 5}, {172, 312, 1}, {175, 313, 1}, {178, 314, 2},
    {182, 316, 3}, {188, 158, 1}, {189, 155, 1}, {190, 163, 1}, {191, 319, 7}, {200, 326, 1},
    {201, 150, 1}, {202, 164, 1}, {203, 169, 1}, {204, 327, 52}};

// Expert subset charset after .notdef.
constexpr CodeRun kExpertSubsetRuns[] = {
    {0, 1, 1},   {0, 231, 2}, {0, 235, 4}, {0, 13, 3},   {0, 99, 1},   {0, 239, 10},
    {0, 27, 2},  {0, 249, 3}, {0, 253, 14}, {0, 109, 2}, {0, 267, 4},  {0, 272, 1},
    {0, 300, 3}, {0, 305, 1}, {0, 314, 2},  {0, 158, 1}, {0, 155, 1},  {0, 163, 1},
    {0, 320, 7}, {0, 150, 1}, {0, 164, 1},  {0, 169, 1}, {0, 327, 20}};

struct Tables {
  std::array<uint16_t, 256> standard{};
  std::array<uint16_t, 256> expert{};
  std::vector<uint16_t> expertCharset;
  std::vector<uint16_t> expertSubset;

  Tables() {
    for (int code = 32; code <= 126; ++code) standard[code] = static_cast<uint16_t>(code - 31);
    for (const auto& entry : kStandardHigh) standard[entry.code] = entry.sid;
    expertCharset.push_back(0);
    for (const auto& run : kExpertRuns) {
      for (int i = 0; i < run.length && run.code + i < 256; ++i) {
        expert[run.code + i] = static_cast<uint16_t>(run.sid + i);
        expertCharset.push_back(static_cast<uint16_t>(run.sid + i));
      }
    }
    expertSubset.push_back(0);
    for (const auto& run : kExpertSubsetRuns)
      for (int i = 0; i < run.length; ++i) expertSubset.push_back(static_cast<uint16_t>(run.sid + i));
  }
};

const Tables& tables() {
  static const Tables instance;
  return instance;
}

}  // namespace

uint16_t cffStandardEncodingSid(uint8_t code) { return tables().standard[code]; }
uint16_t cffExpertEncodingSid(uint8_t code) { return tables().expert[code]; }
std::span<const uint16_t> cffExpertCharset() { return tables().expertCharset; }
std::span<const uint16_t> cffExpertSubsetCharset() { return tables().expertSubset; }

}  // namespace fea
