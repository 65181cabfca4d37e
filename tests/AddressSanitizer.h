#pragma once

// VYX_ADDRESS_SANITIZER is defined where the address sanitizer is on. GCC says so with
// __SANITIZE_ADDRESS__; clang (before 15) only through __has_feature.

#if defined(__SANITIZE_ADDRESS__)
#define VYX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYX_ADDRESS_SANITIZER 1
#endif
#endif
