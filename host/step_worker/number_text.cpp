// Numbers written as text in the programs that read STEP files. The kernel writes a solid's BRep text through
// the standard streams, which print each number with the C library's "%.*g": an exact but slow
// multiple-precision conversion, half of what writing the text costs. std::to_chars prints the same
// characters for the same precision (the standard defines it by printf's conversion in the C locale), in a
// fraction of the time; this program's vsnprintf takes that form of call that way and leaves every other to
// the C library. Off under the address sanitizer, whose own vsnprintf checks the buffers.
#include <langinfo.h>

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstddef>
#include <cstring>

#include "host/step_worker/own_calls.h"

#if FX_OWN_LIBC_CALLS
namespace {

// Only a precision a double's digits can use: past 17 the C library's digits are its own to give.
constexpr int kMostDigits = 17;

// The number "%.*g" asks of `args`, written by to_chars into `text`: its length, or -1 for a call the C
// library must take (another form or precision, another decimal mark).
int quickly(char (&text)[32], const char* format, va_list args) {
    if (std::strcmp(format, "%.*g") != 0) return -1;
    const char* point = nl_langinfo(RADIXCHAR);
    if (point[0] != '.' || point[1] != '\0') return -1;
    va_list peek;
    va_copy(peek, args);
    const int precision = va_arg(peek, int);
    const double value = va_arg(peek, double);
    va_end(peek);
    if (precision < 0 || precision > kMostDigits) return -1;
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision == 0 ? 1 : precision);
    return written.ec == std::errc{} ? static_cast<int>(written.ptr - text) : -1;
}

}  // namespace

extern "C" {
int __vsnprintf(char* out, std::size_t size, const char* format, va_list args);

int vsnprintf(char* out, std::size_t size, const char* format, va_list args) {
    char text[32];
    const int length = quickly(text, format, args);
    if (length < 0) return __vsnprintf(out, size, format, args);
    if (size > 0) {
        const std::size_t kept = std::min(static_cast<std::size_t>(length), size - 1);
        std::memcpy(out, text, kept);
        out[kept] = '\0';
    }
    return length;
}
}
#endif
