// Text helpers of the UFO files: escaping of model texts (Windows-1252 bytes)
// into pure-ASCII XML, the hexadecimal Unicode form, trimming. The escaping, the
// UTF conversions and the code-page tables come from the text library.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "text/model_text.h"
#include "text/unicode.h"
#include "text/xml_text.h"

namespace ufo {

using unicode::modelTextToUtf8;

// Pure ASCII for XML content: the model text as UTF-8 (modelTextToUtf8) with
// markup characters as "&quot;", "&amp;", "&#39;", "&lt;", "&gt;", every
// character above 127 as "&#x<hex>;", CR as "&#xd;" and control characters
// other than TAB, LF and CR as blanks. Attribute values go through
// xml::appendAttribute instead, which also keeps TAB and LF as references.
std::string escapeXmlText(const std::string& text);

// Upper-case hexadecimal, at least four digits ("0041", "1F600").
std::string formatUnicodeHex(const std::uint32_t& value);

// Removes leading and trailing blanks, tabs and line feeds (not CR) in place.
inline void trimWhitespace(std::string& text) { xml::trimWhitespace(text); }

}  // namespace ufo
