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

// A model text as UTF-8. Model texts are Windows-1252 bytes (table 0), except
// those the UFO reader found no Windows-1252 form for: it keeps them as UTF-8.
// So a text is taken as UTF-8 only when it is valid UTF-8 and holds a character
// that Windows-1252 lacks; otherwise every byte is a Windows-1252 character (a
// byte without one becomes a blank). Reading the result back as the UFO reader
// does gives the model text again.
std::string modelTextToUtf8(const std::string& text);

// Pure ASCII for XML content or attribute values: the model text as UTF-8
// (modelTextToUtf8) with markup characters as "&quot;", "&amp;", "&#39;",
// "&lt;", "&gt;", every character above 127 as "&#x<hex>;" and control
// characters other than TAB, LF and CR as blanks.
std::string escapeXmlText(const std::string& text);

// Upper-case hexadecimal, at least four digits ("0041", "1F600").
std::string formatUnicodeHex(const std::uint32_t& value);

// Removes leading and trailing blanks, tabs and line feeds (not CR) in place.
inline void trimWhitespace(std::string& text) { xml::trimWhitespace(text); }

}  // namespace ufo
