// Readers of the layout XML document's value records, anchors and device tables, shared
// by the positioning handlers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "layout/records.h"
#include "layout/text/layout_xml_handlers.h"
#include "text/xml_text.h"

namespace otl::xml {

class DeviceTableParser {
 public:
  void reset() {
    target = nullptr;
    start_ = end_ = 0;
  }
  bool startElement(const char* name, const char** attributes) {
    if (!target) return false;
    const char* value = firstAttribute(attributes, "value");
    if (nameIs(name, "StartSize")) {
      if (value) start_ = parseU16(value);
    } else if (nameIs(name, "EndSize")) {
      if (value) end_ = parseU16(value);
    } else if (nameIs(name, "DeltaFormat")) {
      if (value) parseU16(value);
    } else if (nameIs(name, "DeltaValue")) {
      if (value) readDeltas(value);
    } else {
      return false;
    }
    return true;
  }
  DeviceTable* target = nullptr;

 private:
  void readDeltas(std::string text) {
    if (const size_t open = text.find('['); open != std::string::npos) text.erase(open, 1);
    if (const size_t close = text.find(']'); close != std::string::npos) text.erase(close, 1);
    ::xml::trimWhitespace(text);
    if (text.empty()) return;
    uint32_t size = start_;
    for (size_t begin = 0; size <= end_;) {
      const size_t comma = text.find(',', begin);
      std::string piece = text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
      ::xml::trimWhitespace(piece);
      const auto delta = static_cast<int8_t>(parseNumber(piece.c_str(), -128, 127));
      // Zero deltas stay: they fix StartSize and EndSize as the binary form does.
      target->entries.push_back({static_cast<uint16_t>(size), delta});
      ++size;
      if (comma == std::string::npos) break;
      begin = comma + 1;
    }
  }
  uint16_t start_ = 0, end_ = 0;
};

inline void setDevice(DevicePtr& device, DeviceTableParser& reader) {
  if (!device) device = std::make_unique<DeviceTable>();
  reader.target = device.get();
}

class PosValueParser {
 public:
  void readValue(GPosValue* value, const char** attributes) {
    reset();
    target_ = value;
    if (!value) return;
    for (size_t i = 0; attributes && attributes[i]; i += 2) {
      const char* name = attributes[i];
      int16_t* field = nameIs(name, "XPlacement")   ? &value->xPlacement
                       : nameIs(name, "YPlacement") ? &value->yPlacement
                       : nameIs(name, "XAdvance")   ? &value->xAdvance
                       : nameIs(name, "YAdvance")   ? &value->yAdvance
                                                    : nullptr;
      if (field) *field = parseMetric(name, attributes[i + 1]);
    }
  }
  bool startDevice(const char* name, const char** attributes) {
    if (!target_) return false;
    static const char* const kNames[] = {"XPlaDevice", "YPlaDevice", "XAdvDevice", "YAdvDevice"};
    for (size_t i = 0; i < 4; ++i) {
      if (nameIs(name, kNames[i])) {
        setDevice(target_->devices[i], device_);
        return true;
      }
    }
    return device_.startElement(name, attributes);
  }
  void reset() {
    device_.reset();
    target_ = nullptr;
  }

 private:
  GPosValue* target_ = nullptr;
  DeviceTableParser device_;
};

class AnchorTableParser {
 public:
  bool startElement(const char* name, const char** attributes) {
    if (!target) return false;
    const char* value = firstAttribute(attributes, "value");
    if (nameIs(name, "XCoordinate")) {
      if (value) target->x = parseMetric(name, value);
    } else if (nameIs(name, "YCoordinate")) {
      if (value) target->y = parseMetric(name, value);
    } else if (nameIs(name, "AnchorPoint")) {
      if (value) target->contourPoint = static_cast<uint16_t>(parseS16(value));
    } else if (nameIs(name, "XDeviceTable")) {
      setDevice(target->xDevice, device_);
    } else if (nameIs(name, "YDeviceTable")) {
      setDevice(target->yDevice, device_);
    } else {
      return device_.startElement(name, attributes);
    }
    return true;
  }
  void reset() {
    device_.reset();
    target = nullptr;
  }
  AnchorTable* target = nullptr;

 private:
  DeviceTableParser device_;
};

}  // namespace otl::xml
