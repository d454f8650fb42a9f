// Keywords of the lexer's normal mode.
#pragma once

#include <string_view>

#include "feacompiler/lexer.h"

namespace fea {

// The keyword token of a whole name run, or -1.
int keywordToken(std::string_view text);

}  // namespace fea
