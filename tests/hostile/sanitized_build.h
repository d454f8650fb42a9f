// Whether this build runs under AddressSanitizer: its shadow memory makes address-space
// limits meaningless and peaks larger, so the hostile runs loosen their bounds then.
#pragma once

namespace hostile {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace hostile
