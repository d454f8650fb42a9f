// The style option list of record 1743: key bytes each followed by one number, ended
// by the key 100 ('d').
#pragma once

namespace vn {
struct StyleOptions;
}

namespace qtf {

class Stream;

// Fills the options from the list; true when the list did not run past its payload.
[[nodiscard]] bool decodeStyleOptions(Stream& in, vn::StyleOptions& options);
// Every key, in the writer's order, then the end key.
bool encodeStyleOptions(Stream& out, const vn::StyleOptions& options);

}  // namespace qtf
