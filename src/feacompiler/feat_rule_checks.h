// Checks of the feature layer's rules: true when the rule may be built.
#pragma once

#include "feacompiler/core_context.h"
#include "feacompiler/glyph_node.h"

namespace fea {

bool isClassElement(const GlyphNode* e);
int elementCount(const GlyphNode* p);
int memberCount(const GlyphNode* e);
int markedCount(const GlyphNode* p);
// Backtrack before the first marked element, input marked, look-ahead after.
void setPositions(GlyphNode* p);

bool featCheckClassLengths(coreContext* g, const GlyphNode* target, const GlyphNode* repl,
                           const char* sub);
bool featCheckSingleSub(coreContext* g, GlyphNode* target, GlyphNode* repl);
bool featCheckMultipleSub(coreContext* g, GlyphNode* target, GlyphNode* repl);
bool featCheckAlternateSub(coreContext* g, GlyphNode* target, GlyphNode* repl);
bool featCheckReverseSub(coreContext* g, GlyphNode* target, GlyphNode* repl);
bool featCheckContextSub(coreContext* g, GlyphNode* target, GlyphNode* repl);
bool featCheckContextPos(coreContext* g, GlyphNode* pattern);

}  // namespace fea
