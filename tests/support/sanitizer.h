#pragma once
// Whether this build runs under AddressSanitizer, whose allocator ends the
// process where the plain one would throw std::bad_alloc, and whose shadow
// memory swells what a process holds.

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool UnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool UnderAddressSanitizer = true;
#else
inline constexpr bool UnderAddressSanitizer = false;
#endif
#else
inline constexpr bool UnderAddressSanitizer = false;
#endif
