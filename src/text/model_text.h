// Model texts (names, named strings, glyph names) on their way into XML files.
#pragma once

#include <string>
#include <string_view>

#include "text/xml_text.h"

namespace unicode {

// A model text as UTF-8. Model texts are Windows-1252 bytes (table 0), except
// those the UFO reader found no Windows-1252 form for: it keeps them as UTF-8.
// So a text is taken as UTF-8 only when it is valid UTF-8 and holds a character
// that Windows-1252 lacks; otherwise every byte is a Windows-1252 character (a
// byte without one becomes a blank). Reading the result back as the UFO reader
// does gives the model text again.
std::string modelTextToUtf8(std::string_view text);

// A model text escaped for `place` (xml::escapeMarkup of its UTF-8 form): pure ASCII.
std::string escapeModelText(std::string_view text, xml::XmlPlace place = xml::XmlPlace::kContent);

}  // namespace unicode
