// Lists on warning lines: a font can give thousands of glyphs, keys, pairs or layout
// places for one kind of problem, and a line naming them all would run to megabytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vn {

// How many items a warning line names before it only counts the rest.
inline constexpr std::size_t kItemsNamed = 5;

// "a, b, c, d, e and 12 more": the first kItemsNamed items, then how many others.
std::string firstFewWithCount(const std::vector<std::string>& items);

}  // namespace vn
