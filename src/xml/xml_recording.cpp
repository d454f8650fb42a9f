#include "xml/xml_recording.h"

#include <cstring>

namespace xml {

void XmlRecording::clear() {
  events_.clear();
  store_.clear();
  complete_ = true;
  errorMessage_.clear();
}

void XmlRecorder::record(std::string_view document, XmlRecording& out) {
  out.clear();
  out_ = &out;
  const bool parsed = parseBuffer(document);
  out_ = nullptr;
  out.complete_ = parsed;
  if (!parsed) out.errorMessage_ = errorMessage();
}

void XmlRecorder::append(const char* text) { out_->store_.append(text, std::strlen(text) + 1); }

void XmlRecorder::startElement(const char* name, const char** attributes) {
  XmlRecording::Event event;
  event.kind = XmlRecording::Kind::kStart;
  event.offset = out_->store_.size();
  append(name);
  for (int i = 0; attributes && attributes[i] && attributes[i + 1]; i += 2) {
    append(attributes[i]);
    append(attributes[i + 1]);
    ++event.attributeCount;
  }
  out_->events_.push_back(event);
}

void XmlRecorder::endElement(const char* name) {
  XmlRecording::Event event;
  event.kind = XmlRecording::Kind::kEnd;
  event.offset = out_->store_.size();
  append(name);
  out_->events_.push_back(event);
}

void XmlRecorder::characterData(const char* text, int length) {
  XmlRecording::Event event;
  event.kind = XmlRecording::Kind::kText;
  event.offset = out_->store_.size();
  event.length = static_cast<std::size_t>(length);
  out_->store_.append(text, event.length);
  out_->events_.push_back(event);
}

}  // namespace xml
