// Reader of a UFO 2 folder into a font/style pair.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "model/font_info.h"
#include "platform/file_system.h"
#include "model/font_style_pair.h"
#include "ufo/plist_node.h"
#include "ufo/reader_errors.h"
#include "xml/uri.h"

namespace vn {
class InputFile;
}

namespace ufo {

class UfoFontParser;

class Parser : public xml::UriReader, public xml::UriBase {
 public:
  Parser();
  ~Parser() override;
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // Opens a member of the folder (a relative name) for binary input; true when open.
  // Only a regular file is opened.
  virtual bool openInput(const std::string& member, std::ifstream& in);
  // The same without a stream, for files read whole (see InputFile).
  bool openInput(const std::string& member, vn::InputFile& file);
  // Reads a member whole into `text`: false when it is missing; MemberError when it is
  // there but cannot be opened, is no regular file, holds more than `limit` bytes or
  // cannot be read.
  bool readMember(const std::string& member, std::string& text, std::uint64_t limit);
  // What stands at a member's place.
  vn::PathKind memberKind(const std::string& member);

  // Reads the folder (its path ends with "/") into the pair; the lib tree of "lib.plist"
  // goes to libRoot. libRoot and options may be null. LC_NUMERIC is "C" meanwhile.
  [[nodiscard]] bool read(FontStylePair& pair, PListNode* libRoot, const std::string& folder,
            const vn::ImportOptions* options);
  // Nodes the property lists of one read may hold at once (kMaxPlistNodes unless set).
  void setPlistNodeLimit(std::size_t nodes);

 private:
  std::unique_ptr<UfoFontParser> fontParser_;
};

}  // namespace ufo
