// The tag registry's built-in table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace otl {

struct BuiltInTagRow {
  uint32_t kind;    // 1 script, 2 language, 3 feature
  const char* tag;  // four characters, trailing blanks kept ("ABA ")
  const char* name;
};

// 113 scripts, 394 languages, 133 features.
inline constexpr size_t kBuiltInTagRows = 640;
const std::array<BuiltInTagRow, kBuiltInTagRows>& builtInTagRows();

}  // namespace otl
