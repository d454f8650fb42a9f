// Glyph-node services of the feature layer that the builders use too: the node pool,
// copies, the cross product, class sorting and the note-buffer printers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "feacompiler/core_context.h"
#include "feacompiler/glyph_node.h"

namespace fea {

GlyphNode* featNewNode(coreContext* g);
// Rule records a builder keeps until its lookup is built share the nodes' memory bound:
// taking bytes past it is fatal, the message beginning with `refused`.
void featTakeRuleBytes(coreContext* g, uint64_t bytes, const std::string& refused);
void featReleaseRuleBytes(coreContext* g, uint64_t bytes);
// Puts every node of every element of the pattern back in the pool.
void featRecycleNode(coreContext* g, GlyphNode* pattern);
// Copies the class's members after *place; returns the place after the last copy.
GlyphNode** featGlyphClassCopy(coreContext* g, GlyphNode** place, GlyphNode* cls);
// Copies count elements (all for -1) with their classes; returns the place after them.
GlyphNode** featPatternCopy(coreContext* g, GlyphNode** place, GlyphNode* pattern, int count);
// The glyph sequences the pattern stands for; the first element varies fastest.
const std::vector<GlyphNode*>& featMakeCrossProduct(coreContext* g, GlyphNode* pattern);
// Sorts the class at *place by glyph id and drops repeated glyphs.
void featSortGlyphClass(coreContext* g, GlyphNode** place, bool report);
// Turns one glyph into a class of count + 1 copies.
void featExtendNodeToClass(coreContext* g, GlyphNode* node, int count);
// Note-buffer printers for messages (separator < 0: none).
void featGlyphNoteAppend(coreContext* g, uint16_t gid, int separator);
void featClassNoteAppend(coreContext* g, GlyphNode* cls, int separator);
void featPatternNoteAppend(coreContext* g, GlyphNode* pattern);

}  // namespace fea
