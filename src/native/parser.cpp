#include "native/parser.h"

#include "native/parser_impl.h"

namespace qtf {

Parser::Impl::Impl(FontStylePair* pairIn, std::istream* in) : pair(pairIn), input(in) {
  if (pair) {
    font = pair->font;
    style = pair->style;
  }
}

bool Parser::Impl::isValidFile() {
  if (!input.good()) return false;
  return input.checkHeader();
}

Parser::Parser(FontStylePair* pair, std::istream* input) : impl_(std::make_unique<Impl>(pair, input)) {}

Parser::~Parser() = default;

int32_t Parser::masterCount() { return impl_->masterCount(); }

bool Parser::parse(int32_t master, const vn::ImportOptions* options) {
  if (options) impl_->options = *options;
  if (!impl_->font || !impl_->style) return false;
  if (master < 0) return false;
  return impl_->read(static_cast<uint32_t>(master));
}

std::string Parser::failurePlace() const {
  const RecordPlace& place = impl_->input.lastRecord();
  if (!place.started) return "the file header";
  const std::string at = " at byte " + std::to_string(place.offset);
  if (place.tag < 0) return "the record header" + at;
  return "record " + std::to_string(place.tag) + at;
}

void Parser::applyMaster(vn::Style* style, int32_t master) { impl_->applyMaster(style, master); }

bool Parser::isValidFile() { return impl_->isValidFile(); }

}  // namespace qtf
