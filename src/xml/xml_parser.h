// Event-driven XML reader over expat. A reader derives from XmlParser and
// overrides the event operations it needs; the static trampolines turn every
// expat callback into a virtual call on the owning object.
#pragma once

#include <expat.h>

#include <cstddef>
#include <exception>
#include <istream>
#include <string>
#include <string_view>

namespace xml {

class XmlRecording;

class XmlParser {
 public:
  // A stream is read in pieces of this many bytes (and parsed as one buffer).
  static constexpr std::size_t kChunkSize = 49152;

  // Element handlers that replace startElement/endElement while parsing (see
  // setElementHandlers). They receive the parser object itself.
  using StartHandler = void (*)(XmlParser& parser, const char* name, const char** attributes);
  using EndHandler = void (*)(XmlParser& parser, const char* name);

  XmlParser();
  virtual ~XmlParser();
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  // Event operations. Texts are UTF-8; a text given with a length is not
  // NUL-terminated. An exception thrown here stops the parse and leaves
  // parse()/parseStream() to the caller.
  virtual void startElement(const char* name, const char** attributes);
  virtual void endElement(const char* name);
  virtual void characterData(const char* text, int length);
  virtual void processingInstruction(const char* target, const char* data);
  virtual void defaultHandler(const char* text, int length);
  virtual int notStandalone();  // 1 accepts the document
  virtual void unparsedEntityDecl(const char* entityName, const char* base, const char* systemId,
                                  const char* publicId, const char* notationName);
  virtual void notationDecl(const char* notationName, const char* base, const char* systemId,
                            const char* publicId);
  virtual void startNamespaceDecl(const char* prefix, const char* uri);
  virtual void endNamespaceDecl(const char* prefix);

  // Readies a fresh expat parser (resetting an earlier one) with every handler
  // registered. A document that declares entities is refused.
  void createParser();
  // Feeds the stream to the parser made by createParser(). True when the
  // document was read completely or a handler stopped it with stopParsing().
  [[nodiscard]] bool parseStream(std::istream& in);
  // createParser() then parseStream().
  [[nodiscard]] bool parse(std::istream& in);
  // createParser(), then the whole document from memory (no copy, no stream).
  [[nodiscard]] bool parseBuffer(std::string_view document);

  // Hands a recorded document's events to this reader as a parse would, with the same
  // depth bound, stop and exception rules; false with the recorded message when the
  // recorded parse failed (unless a handler stopped first).
  bool replay(const XmlRecording& recording);

  // Stops the parse from inside a handler; the parse still counts as success.
  void stopParsing();

  // Replaces the element handlers for the rest of the parse (also from inside
  // a handler); null handlers restore startElement/endElement.
  void setElementHandlers(StartHandler start, EndHandler end);

  // Why the last parse failed ("" after success).
  const std::string& errorMessage() const { return errorMessage_; }

  // The expat handle, null until createParser(). Handlers registered on it
  // directly bypass the exception guard and the depth bound of this class:
  // prefer setElementHandlers().
  XML_Parser parser = nullptr;

 private:
  struct Callbacks;
  friend struct Callbacks;

  void freeParser();
  // Clears what one parse leaves behind.
  void resetState();
  void fail(std::string message);
  // Hands one piece of the document to expat. True when the parse is over, its
  // outcome in `succeeded`; false when more input is wanted.
  bool feed(const char* data, int length, bool final, bool& succeeded);
  // Hands the whole document to expat in as few calls as its int lengths allow.
  bool feedWhole(std::string_view document);

  StartHandler startHandler_ = nullptr;
  EndHandler endHandler_ = nullptr;
  std::exception_ptr pendingException_;
  std::string errorMessage_;
  bool failed_ = false;  // stopped by us for a reason that is not success
  bool halted_ = false;  // no further events are delivered
  bool replaying_ = false;  // events come from a recording, not from expat
  int depth_ = 0;
  std::size_t textRun_ = 0;  // bytes of character data since the last tag
};

// True when an element's name is the wanted one.
bool isElement(const char* name, const char* wanted);
// The value of the named attribute in expat's name/value list, or null.
const char* findAttribute(const char** attributes, const char* wanted);

}  // namespace xml
