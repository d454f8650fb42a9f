// Escaping of text that goes into XML, and trimming of blanks.
#pragma once

#include <string>
#include <string_view>

namespace xml {

// Pure-ASCII text for XML content or a quoted attribute value: the five markup
// characters become "&quot;", "&amp;", "&#39;", "&lt;", "&gt;", CR becomes
// "&#xd;" (so that it reads back as CR); control characters other than TAB,
// LF and CR (and U+FFFE/U+FFFF) become blanks; a
// valid UTF-8 sequence becomes "&#x<hex>;"; any other byte is read as
// Windows-1252 and written as a reference too. Text read back from the output
// and escaped again gives the same output.
std::string escapeMarkup(std::string_view text);
void appendEscapedMarkup(std::string& out, std::string_view text);

// "<name a="v" ...>" from expat's NUL-terminated list of alternating attribute
// names and values (null: no attributes), values escaped; and "</name>".
void appendOpeningTag(std::string& out, const char* name, const char** attributes);
void appendClosingTag(std::string& out, const char* name);

// Removes leading and trailing blanks, tabs and line feeds (not CR) in place.
void trimWhitespace(std::string& text);

}  // namespace xml
