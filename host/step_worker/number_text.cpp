// Numbers written as text in the programs that read STEP files. The kernel writes a solid's BRep text through
// the standard streams, which print each number with the C library's "%.*g": an exact but slow
// multiple-precision conversion, half of what writing the text costs. std::to_chars prints the same
// characters for the same precision (the standard defines it by printf's conversion in the C locale), in a
// fraction of the time; this program's vsnprintf takes that form of call that way and leaves every other to
// the C library. Off under the address sanitizer, whose own vsnprintf checks the buffers.
#include <langinfo.h>

#include <charconv>
#include <cstdarg>
#include <cstddef>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define FX_OWN_NUMBER_TEXT 0
#elif defined(__has_feature)
#define FX_OWN_NUMBER_TEXT !__has_feature(address_sanitizer)
#else
#define FX_OWN_NUMBER_TEXT 1
#endif

#if FX_OWN_NUMBER_TEXT
extern "C" {
int __vsnprintf(char* out, std::size_t size, const char* format, va_list args);

int vsnprintf(char* out, std::size_t size, const char* format, va_list args) {
    // Only a precision a double's digits can use: past 17 the C library's digits are its own to give.
    constexpr int kMostDigits = 17;
    if (std::strcmp(format, "%.*g") == 0) {
        const char* point = nl_langinfo(RADIXCHAR);
        va_list peek;
        va_copy(peek, args);
        const int precision = va_arg(peek, int);
        const double value = va_arg(peek, double);
        va_end(peek);
        if (point[0] == '.' && point[1] == '\0' && precision >= 0 && precision <= kMostDigits) {
            char text[32];
            const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general,
                                               precision == 0 ? 1 : precision);
            if (written.ec == std::errc{}) {
                const std::size_t length = static_cast<std::size_t>(written.ptr - text);
                if (size > 0) {
                    const std::size_t kept = length < size ? length : size - 1;
                    std::memcpy(out, text, kept);
                    out[kept] = '\0';
                }
                return static_cast<int>(length);
            }
        }
    }
    return __vsnprintf(out, size, format, args);
}
}
#endif
