// Escaping of names written into hint texts (property-list keys and "ttc" attribute
// values). The UFO writer may pass its own escaper; the default follows the same rule:
// markup characters as entities, bytes above 127 read as Windows-1252 and written as
// character references, so the text is pure ASCII.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vn {

using XmlEscaper = std::function<std::string(std::string_view)>;

// "&amp;", "&lt;", "&gt;", "&quot;", "&#39;"; tab, line feed and carriage return as
// character references (attribute values would otherwise lose them); other control
// bytes, which XML cannot carry at all, as blanks.
std::string escapeHintXml(std::string_view text);

}  // namespace vn
