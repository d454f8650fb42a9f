// Text helpers of the UFO files: escaping of model texts (Windows-1252 bytes)
// into pure-ASCII XML, the hexadecimal Unicode form, tag texts, trimming. The
// UTF conversions and code-page tables come from xml/unicode.h.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "xml/text_escape.h"
#include "xml/unicode.h"

namespace ufo {

// Reads each byte as Windows-1252 (table 0) and gives pure ASCII: markup
// characters as "&quot;", "&amp;", "&#39;", "&lt;", "&gt;", every character
// above 127 as "&#x<hex>;", control characters other than TAB, LF and CR (and
// bytes without a character) as blanks.
std::string escapeXmlText(const std::string& text);

// Upper-case hexadecimal, at least four digits ("0041", "1F600").
std::string formatUnicodeHex(const std::uint32_t& value);

// "<name a="v" ...>" from a NUL-terminated list of alternating attribute names
// and values (null or empty: no attributes); values are escaped.
void openingTagText(const char* name, const char** attributes, std::ostream& out);
// "</name>".
void closingTagText(const char* name, std::ostream& out);

// Removes leading and trailing blanks, tabs and line feeds (not CR) in place.
inline void trimWhitespace(std::string& text) { xml::trimWhitespace(text); }

}  // namespace ufo
