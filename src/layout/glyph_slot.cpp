#include "layout/glyph_slot.h"

#include <algorithm>
#include <ostream>

#include "layout/registry/glyph_name_registry.h"

namespace vn {

bool FeaGlyphGroup::contains(GlyphId id) const {
  return std::find(glyphs.begin(), glyphs.end(), id) != glyphs.end();
}

bool FeaGlyphGroup::rename(const std::string& name) {
  // Only a known glyph can name the group; asking never registers the name.
  if (name.empty() || !otl::glyphNameRegistry().contains(name)) return false;
  if (!contains(otl::glyphIdByName(name))) return false;
  keyGlyph = name;
  return true;
}

void FeaGlyphGroups::membersOf(GlyphId id, GlyphIdList& out) const {
  out.clear();
  if (const auto* group = find(id)) out.assign(group->glyphs.begin(), group->glyphs.end());
}

bool FeaGlyphGroups::groupInfo(GlyphId id, KerningClassInfo& out) const {
  const auto* group = find(id);
  if (!group) return false;
  out = KerningClassInfo{};
  out.side = 4;
  out.keyGlyph = group->keyGlyph;
  out.name = group->className;
  out.members.assign(group->glyphs.begin(), group->glyphs.end());
  return true;
}

void FeaGlyphGroups::setMembers(GlyphId id, const GlyphIdList& ids) {
  if (auto* group = find(id)) group->setMembers(ids);
}

bool FeaGlyphGroups::updateGroup(GlyphId id, const KerningClassInfo& info) {
  auto* group = find(id);
  if (!group) return false;
  group->rename(info.keyGlyph);
  group->className = info.name;
  group->setMembers(info.members);
  return true;
}

GlyphId FeaGlyphGroups::defineClass(const std::string& className, const std::vector<GlyphId>& glyphs,
                                    const std::string& groupName) {
  const GlyphId id = otl::glyphIdByName(className);
  if (id == 0) return 0;
  auto& group = groups[id];
  group.glyphs = glyphs;
  group.rename(groupName);
  group.className = className;
  return id;
}

void FeaGlyphGroups::reindex() {
  index_.clear();
  for (const auto& [id, group] : groups) index_.emplace(group.glyphs, id);
  indexedCount_ = groups.size();
}

GlyphId FeaGlyphGroups::replaceGroup(const std::vector<GlyphId>& glyphs) {
  if (indexedCount_ != groups.size()) reindex();
  auto it = index_.find(glyphs);
  if (it != index_.end()) {
    auto* group = find(it->second);
    if (!group || group->glyphs != glyphs) {
      reindex();  // a class changed under the index
      it = index_.find(glyphs);
      group = it == index_.end() ? nullptr : find(it->second);
    }
    if (group) {
      ++group->useCount;
      return it->second;
    }
  }
  const GlyphId id = otl::glyphNameRegistry().nextFreeId();
  auto& group = groups[id];
  group.glyphs = glyphs;
  group.useCount = 1;
  index_.emplace(glyphs, id);
  indexedCount_ = groups.size();
  return id;
}

void FeaGlyphGroups::retainGroup(GlyphId id) {
  if (auto* group = find(id)) ++group->useCount;
}

void FeaGlyphGroups::releaseGroup(GlyphId id) {
  if (auto* group = find(id); group && group->useCount > 0) --group->useCount;
}

const std::vector<GlyphId>* FeaGlyphGroups::groupGlyphs(GlyphId id) const {
  const auto* group = find(id);
  return group ? &group->glyphs : nullptr;
}

FeaGlyphGroup* FeaGlyphGroups::find(GlyphId id) {
  auto it = groups.find(id);
  return it == groups.end() ? nullptr : &it->second;
}

const FeaGlyphGroup* FeaGlyphGroups::find(GlyphId id) const {
  auto it = groups.find(id);
  return it == groups.end() ? nullptr : &it->second;
}

}  // namespace vn

namespace otl {

namespace {
const GlyphList& emptyList() {
  static const GlyphList empty;
  return empty;
}
}  // namespace

GlyphClassSlot::GlyphClassSlot(GlyphClassHolder holder, const GlyphList& glyphs) : holder_(holder) {
  assign(glyphs);
}

GlyphClassSlot::GlyphClassSlot(GlyphClassHolder holder, const GlyphClassSlot& source) : holder_(holder) {
  *this = source;
}

GlyphClassSlot::GlyphClassSlot(const GlyphClassSlot& other) : holder_(other.holder_) { *this = other; }

GlyphClassSlot::GlyphClassSlot(GlyphClassSlot&& other) noexcept
    : holder_(other.holder_), single_(other.single_), classId_(other.classId_), own_(std::move(other.own_)) {
  other.single_ = 0;
  other.classId_ = 0;
  other.own_.clear();
}

GlyphClassSlot& GlyphClassSlot::operator=(GlyphClassSlot&& other) noexcept {
  if (this == &other) return *this;
  if (classTable(holder_) != classTable(other.holder_)) {
    *this = static_cast<const GlyphClassSlot&>(other);
    return *this;
  }
  release();
  single_ = other.single_;
  classId_ = other.classId_;
  own_ = std::move(other.own_);
  other.single_ = 0;
  other.classId_ = 0;
  other.own_.clear();
  return *this;
}

GlyphClassSlot& GlyphClassSlot::operator=(const GlyphClassSlot& other) {
  if (this == &other) return *this;
  if (other.single_ != 0) {
    release();
    single_ = other.single_;
    own_ = {other.single_};
    return *this;
  }
  auto* mine = classTable(holder_);
  auto* theirs = classTable(other.holder_);
  if (mine != theirs || mine == nullptr || other.classId_ == 0) {
    // Another table (or none): register the source's glyphs here.
    GlyphList glyphs = other.glyphs();
    assign(glyphs);
    return *this;
  }
  single_ = 0;
  own_.clear();
  if (classId_ != other.classId_) {
    release();
    classId_ = other.classId_;
    mine->retainGroup(classId_);
  }
  return *this;
}

void GlyphClassSlot::release() {
  if (classId_ != 0) {
    if (auto* table = classTable(holder_)) table->releaseGroup(classId_);
  }
  classId_ = 0;
  single_ = 0;
  own_.clear();
}

void GlyphClassSlot::assign(const GlyphList& glyphs) {
  GlyphList copy = glyphs;  // the argument may be our own list
  release();
  if (copy.empty()) return;
  if (copy.size() == 1) {
    single_ = copy.front();
    own_ = std::move(copy);
    return;
  }
  if (auto* table = classTable(holder_)) {
    classId_ = table->replaceGroup(copy);
  } else {
    own_ = std::move(copy);  // no class table: the slot keeps the list itself
  }
}

const GlyphList& GlyphClassSlot::glyphs() const {
  if (classId_ != 0) {
    if (auto* table = classTable(holder_)) {
      if (const auto* list = table->groupGlyphs(classId_)) return *list;
    }
    return emptyList();
  }
  return own_;
}

uint32_t GlyphClassSlot::glyphAt(size_t i) const {
  const auto& list = glyphs();
  return i < list.size() ? list[i] : 0;
}

void GlyphClassSlot::writeFea(std::ostream& out, int bracketMode, size_t start, int64_t count) const {
  writeFeaGlyphList(&glyphs(), out, bracketMode, start, count);
}

void writeFeaGlyph(std::ostream& out, uint32_t glyph) { writeGlyphName(out, glyph); }

void writeFeaGlyphList(const GlyphList* glyphs, std::ostream& out, int bracketMode, size_t start,
                       int64_t count) {
  if (!glyphs) return;
  size_t end = glyphs->size();
  if (count >= 0) end = std::min<size_t>(start + static_cast<size_t>(count), end);
  const bool brackets = bracketMode == 2 ? false : bracketMode == 0 ? end != 1 : true;
  if (brackets) out << '[';
  for (size_t i = start; i < end; ++i) {
    if (i > start) out << ' ';
    writeFeaGlyph(out, (*glyphs)[i]);
  }
  if (brackets) out << ']';
}

void writeFeaGlyphClassBody(const GlyphList* glyphs, std::ostream& out, uint32_t perLine) {
  if (!glyphs) return;
  out << '[';
  uint32_t onLine = 0;
  bool first = true;
  for (uint32_t glyph : *glyphs) {
    if (!first) out << ' ';
    first = false;
    if (onLine >= perLine) {
      out << "\n    ";
      onLine = 0;
    }
    writeFeaGlyph(out, glyph);
    ++onLine;
  }
  out << ']';
}

}  // namespace otl
