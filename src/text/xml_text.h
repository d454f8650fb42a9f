// The one XML escaper and attribute builder of every writer (UFO files, hint texts,
// lib text kept from a glyph file), and trimming of blanks.
#pragma once

#include <string>
#include <string_view>

namespace xml {

// Where escaped text stands. A reader hands back a raw TAB, LF or CR unchanged in
// element content except CR (line ends are normalised to LF); in an attribute value
// all three become blanks (attribute-value normalisation).
enum class XmlPlace { kContent, kAttribute };

// Pure-ASCII text for XML: the five markup characters become "&quot;", "&amp;",
// "&#39;", "&lt;", "&gt;"; a character the reader would change at `place` becomes a
// reference ("&#x9;", "&#xa;", "&#xd;"), so CR always and TAB and LF only in an
// attribute value; other control characters (and U+FFFE/U+FFFF) become blanks; a
// valid UTF-8 sequence becomes "&#x<hex>;"; any other byte is read as Windows-1252
// and written as a reference too. Text read back from the output and escaped again
// gives the same output.
std::string escapeMarkup(std::string_view text, XmlPlace place = XmlPlace::kContent);
void appendEscapedMarkup(std::string& out, std::string_view text,
                         XmlPlace place = XmlPlace::kContent);

// ' name="value"', the value escaped for an attribute.
void appendAttribute(std::string& out, std::string_view name, std::string_view value);

// "<name a="v" ...>" from expat's NUL-terminated list of alternating attribute
// names and values (null: no attributes), each through appendAttribute; and "</name>".
void appendOpeningTag(std::string& out, const char* name, const char** attributes);
void appendClosingTag(std::string& out, const char* name);

// Removes leading and trailing blanks, tabs and line feeds (not CR) in place.
void trimWhitespace(std::string& text);

}  // namespace xml
