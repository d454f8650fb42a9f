// Where a UFO keeps the layout XML document that -ttx writes and reads.
#pragma once

namespace ufo {

inline constexpr const char* kLayoutDocumentMember = "data/com.quorvel.v2.otl.ttx.xml";

}  // namespace ufo
