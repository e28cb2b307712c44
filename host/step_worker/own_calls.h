// Whether the reading programs put their own C library calls (allocation) in place
// of the C library's: not under the address sanitizer, which puts its own there.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define FX_OWN_LIBC_CALLS 0
#elif defined(__has_feature)
#define FX_OWN_LIBC_CALLS !__has_feature(address_sanitizer)
#else
#define FX_OWN_LIBC_CALLS 1
#endif
