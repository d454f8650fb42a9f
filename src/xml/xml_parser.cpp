#include "xml/xml_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "xml/limits.h"
#include "xml/xml_recording.h"

namespace xml {

namespace {
constexpr const char* kEntitiesRefused = "the document declares entities, which are not accepted";
constexpr const char* kTooDeep = "elements are nested too deeply";
constexpr const char* kHandlerFailed = "a handler failed";
constexpr const char* kStreamNotReadable = "the input cannot be read";
constexpr const char* kDocumentTooLarge = "the document is larger than the reader accepts";
constexpr const char* kAttributeTooLong = "an attribute value is longer than the reader accepts";
constexpr const char* kTextTooLong = "a text is longer than the reader accepts";

bool attributesTooLong(const XML_Char** attributes) {
  if (attributes == nullptr) return false;
  for (int i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2) {
    if (std::strlen(attributes[i + 1]) > kMaxAttributeBytes) return true;
  }
  return false;
}
}  // namespace

// The C callbacks registered with expat. No C++ exception may unwind through
// expat's frames: each trampoline catches, stops the parser and keeps the
// exception for parseStream(), which rethrows it once XML_Parse has returned.
struct XmlParser::Callbacks {
  template <class Call>
  static void guarded(void* userData, Call&& call) {
    auto* self = static_cast<XmlParser*>(userData);
    if (self->halted_) return;
    try {
      call(*self);
    } catch (...) {
      self->pendingException_ = std::current_exception();
      self->fail(kHandlerFailed);
    }
  }

  static void start(void* userData, const XML_Char* name, const XML_Char** attributes) {
    guarded(userData, [&](XmlParser& self) {
      if (++self.depth_ > kMaxElementDepth) {
        self.fail(kTooDeep);
        return;
      }
      if (attributesTooLong(attributes)) {
        self.fail(kAttributeTooLong);
        return;
      }
      self.textRun_ = 0;
      if (self.startHandler_ != nullptr) {
        self.startHandler_(self, name, attributes);
      } else {
        self.startElement(name, attributes);
      }
    });
  }
  static void end(void* userData, const XML_Char* name) {
    guarded(userData, [&](XmlParser& self) {
      --self.depth_;
      self.textRun_ = 0;
      if (self.endHandler_ != nullptr) {
        self.endHandler_(self, name);
      } else {
        self.endElement(name);
      }
    });
  }
  static void characters(void* userData, const XML_Char* text, int length) {
    guarded(userData, [&](XmlParser& self) {
      // expat hands one text over in pieces; the bound is on the whole run.
      self.textRun_ += static_cast<std::size_t>(length);
      if (self.textRun_ > kMaxTextBytes) {
        self.fail(kTextTooLong);
        return;
      }
      self.characterData(text, length);
    });
  }
  static void instruction(void* userData, const XML_Char* target, const XML_Char* data) {
    guarded(userData, [&](XmlParser& self) { self.processingInstruction(target, data); });
  }
  static void other(void* userData, const XML_Char* text, int length) {
    guarded(userData, [&](XmlParser& self) { self.defaultHandler(text, length); });
  }
  static void unparsedEntity(void* userData, const XML_Char* entityName, const XML_Char* base,
                             const XML_Char* systemId, const XML_Char* publicId,
                             const XML_Char* notationName) {
    guarded(userData, [&](XmlParser& self) {
      self.unparsedEntityDecl(entityName, base, systemId, publicId, notationName);
    });
  }
  static void notation(void* userData, const XML_Char* notationName, const XML_Char* base,
                       const XML_Char* systemId, const XML_Char* publicId) {
    guarded(userData,
            [&](XmlParser& self) { self.notationDecl(notationName, base, systemId, publicId); });
  }
  static int standalone(void* userData) {
    int accepted = 0;
    guarded(userData, [&](XmlParser& self) { accepted = self.notStandalone(); });
    return accepted;
  }
  static void startNamespace(void* userData, const XML_Char* prefix, const XML_Char* uri) {
    guarded(userData, [&](XmlParser& self) { self.startNamespaceDecl(prefix, uri); });
  }
  static void endNamespace(void* userData, const XML_Char* prefix) {
    guarded(userData, [&](XmlParser& self) { self.endNamespaceDecl(prefix); });
  }
  // Entity declarations are refused outright: internal entities would be
  // expanded in attribute values (exponential growth from a few lines).
  static void entity(void* userData, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                     const XML_Char*, const XML_Char*, const XML_Char*) {
    auto* self = static_cast<XmlParser*>(userData);
    if (!self->halted_) self->fail(kEntitiesRefused);
  }
};

XmlParser::XmlParser() = default;

XmlParser::~XmlParser() { freeParser(); }

void XmlParser::startElement(const char*, const char**) {}
void XmlParser::endElement(const char*) {}
void XmlParser::characterData(const char*, int) {}
void XmlParser::processingInstruction(const char*, const char*) {}
void XmlParser::defaultHandler(const char*, int) {}
int XmlParser::notStandalone() { return 1; }
void XmlParser::unparsedEntityDecl(const char*, const char*, const char*, const char*,
                                   const char*) {}
void XmlParser::notationDecl(const char*, const char*, const char*, const char*) {}
void XmlParser::startNamespaceDecl(const char*, const char*) {}
void XmlParser::endNamespaceDecl(const char*) {}

void XmlParser::freeParser() {
  if (parser != nullptr) {
    XML_ParserFree(parser);
    parser = nullptr;
  }
}

void XmlParser::resetState() {
  startHandler_ = nullptr;
  endHandler_ = nullptr;
  pendingException_ = nullptr;
  errorMessage_.clear();
  failed_ = false;
  halted_ = false;
  replaying_ = false;
  depth_ = 0;
  textRun_ = 0;
}

void XmlParser::createParser() {
  resetState();

  // Reusing the handle keeps its buffers: one reader parses many small files.
  if (parser != nullptr && XML_ParserReset(parser, nullptr) != XML_TRUE) freeParser();
  if (parser == nullptr) parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) throw std::bad_alloc();
  XML_SetUserData(parser, this);
  XML_SetElementHandler(parser, &Callbacks::start, &Callbacks::end);
  XML_SetCharacterDataHandler(parser, &Callbacks::characters);
  XML_SetProcessingInstructionHandler(parser, &Callbacks::instruction);
  XML_SetDefaultHandler(parser, &Callbacks::other);
  XML_SetUnparsedEntityDeclHandler(parser, &Callbacks::unparsedEntity);
  XML_SetNotationDeclHandler(parser, &Callbacks::notation);
  XML_SetNotStandaloneHandler(parser, &Callbacks::standalone);
  XML_SetNamespaceDeclHandler(parser, &Callbacks::startNamespace, &Callbacks::endNamespace);
  XML_SetEntityDeclHandler(parser, &Callbacks::entity);
}

void XmlParser::fail(std::string message) {
  if (failed_) return;
  failed_ = true;
  halted_ = true;
  errorMessage_ = std::move(message);
  if (!replaying_) XML_StopParser(parser, XML_FALSE);
}

void XmlParser::stopParsing() {
  if (halted_ || (parser == nullptr && !replaying_)) return;
  halted_ = true;
  if (!replaying_) XML_StopParser(parser, XML_FALSE);
}

void XmlParser::setElementHandlers(StartHandler start, EndHandler end) {
  startHandler_ = start;
  endHandler_ = end;
}

bool XmlParser::feed(const char* data, int length, bool final, bool& succeeded) {
  const XML_Status status = XML_Parse(parser, data, length, final ? XML_TRUE : XML_FALSE);
  if (pendingException_) {
    std::exception_ptr exception = std::exchange(pendingException_, nullptr);
    std::rethrow_exception(exception);
  }
  succeeded = false;
  if (failed_) return true;
  if (status == XML_STATUS_ERROR) {
    if (XML_GetErrorCode(parser) == XML_ERROR_ABORTED) {
      succeeded = true;
      return true;
    }
    errorMessage_ = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                    std::to_string(XML_GetCurrentLineNumber(parser));
    return true;
  }
  succeeded = true;
  return halted_ || final;
}

bool XmlParser::parseStream(std::istream& in) {
  if (parser == nullptr) createParser();
  if (!in.good()) {
    errorMessage_ = kStreamNotReadable;
    return false;
  }
  // The whole document goes to expat in one call: fed in pieces, expat scans an
  // unfinished token again from its start with every piece, so one long token would
  // cost the square of its length.
  std::string document;
  char buffer[kChunkSize];
  for (;;) {
    in.read(buffer, sizeof buffer);
    const auto length = static_cast<std::size_t>(in.gcount());
    if (length > kMaxDocumentBytes - document.size()) {
      errorMessage_ = kDocumentTooLarge;
      return false;
    }
    document.append(buffer, length);
    if (!in.good()) break;
  }
  return feedWhole(document);
}

bool XmlParser::parse(std::istream& in) {
  createParser();
  return parseStream(in);
}

bool XmlParser::parseBuffer(std::string_view document) {
  createParser();
  return feedWhole(document);
}

bool XmlParser::feedWhole(std::string_view document) {
  // expat takes lengths as int: larger documents go in pieces.
  constexpr std::size_t kMaxPiece = std::size_t{1} << 30;
  bool succeeded = false;
  for (;;) {
    const std::size_t length = std::min(document.size(), kMaxPiece);
    const bool final = length == document.size();
    if (feed(document.data(), static_cast<int>(length), final, succeeded)) return succeeded;
    document.remove_prefix(length);
  }
}

bool XmlParser::replay(const XmlRecording& recording) {
  resetState();
  replaying_ = true;
  struct EndReplay {
    bool& flag;
    ~EndReplay() { flag = false; }
  } endReplay{replaying_};
  std::vector<const char*> attributes;
  for (const XmlRecording::Event& event : recording.events()) {
    switch (event.kind) {
      case XmlRecording::Kind::kStart: {
        attributes.clear();
        const char* text = recording.text(event.offset);
        const char* name = text;
        text += std::strlen(text) + 1;
        for (std::uint32_t i = 0; i < 2 * event.attributeCount; ++i) {
          attributes.push_back(text);
          text += std::strlen(text) + 1;
        }
        attributes.push_back(nullptr);
        Callbacks::start(this, name, attributes.data());
        break;
      }
      case XmlRecording::Kind::kEnd:
        Callbacks::end(this, recording.text(event.offset));
        break;
      case XmlRecording::Kind::kText:
        Callbacks::characters(this, recording.text(event.offset), static_cast<int>(event.length));
        break;
    }
    if (pendingException_) std::rethrow_exception(std::exchange(pendingException_, nullptr));
    if (halted_) return !failed_;
  }
  if (!recording.complete()) {
    errorMessage_ = recording.errorMessage();
    return false;
  }
  return true;
}

bool isElement(const char* name, const char* wanted) { return std::strcmp(name, wanted) == 0; }

const char* findAttribute(const char** attributes, const char* wanted) {
  if (!attributes) return nullptr;
  for (int i = 0; attributes[i] && attributes[i + 1]; i += 2) {
    if (attributes[i][0] == wanted[0] && std::strcmp(attributes[i], wanted) == 0) return attributes[i + 1];
  }
  return nullptr;
}

}  // namespace xml
