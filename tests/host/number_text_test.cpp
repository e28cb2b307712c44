// The reading programs' vsnprintf writes what the C library writes, character for character: numbers as the
// streams ask them ("%.*g") at every magnitude and precision, cut to the room given or to none, and every
// other form and precision, which it leaves to the C library.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

extern "C" int __vsnprintf(char* out, std::size_t size, const char* format, va_list args);

namespace {

std::string written(bool ours, std::size_t size, const char* format, ...) {
    char text[512];
    std::memset(text, '#', sizeof text);
    va_list args;
    va_start(args, format);
    const int length = ours ? std::vsnprintf(size ? text : nullptr, size, format, args)
                            : __vsnprintf(size ? text : nullptr, size, format, args);
    va_end(args);
    return std::to_string(length) + ':' + (size ? std::string(text, std::strlen(text)) : "");
}

TEST(NumberText, WritesWhatTheCLibraryWrites) {
    using limits = std::numeric_limits<double>;
    struct CALL {
        std::size_t size;
        const char* format;
        int precision;
        double value;
    };
    std::vector<CALL> calls = {{8, "%.*g", 17, 1.0 / 3},  {1, "%.*g", 17, 1.0 / 3},  {0, "%.*g", 17, 1.0 / 3},
                               {64, "%.*g", 30, 1.0 / 3}, {64, "%.*g", -1, 1.0 / 3}, {64, "%.*e", 15, 1.0 / 3},
                               {64, "%.*f", 15, 1.0 / 3}, {64, "%.*G", 15, 1.0 / 3}};
    for (int precision = 0; precision <= 17; ++precision)
        for (double v : {0.0, -0.0, 1.0, 0.1, 2.5, 0.5, 1e15, 1e16, 1e17, 1e21, 1e-5, 1e-4, 9.9999999999999995e-5,
                         -M_PI / 2, 999999.5, 123456789012345678.0, limits::max(), -limits::max(), limits::min(),
                         limits::denorm_min(), std::nan(""), -std::nan(""), HUGE_VAL, -HUGE_VAL})
            calls.push_back({64, "%.*g", precision, v});
    // Numbers of every magnitude, at the precisions the kernel's writer uses.
    std::mt19937_64 bits(79);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t b = bits();
        double v;
        std::memcpy(&v, &b, sizeof v);
        for (int precision : {6, 15, 17}) calls.push_back({64, "%.*g", precision, v});
    }
    for (const CALL& c : calls)
        ASSERT_EQ(written(true, c.size, c.format, c.precision, c.value),
                  written(false, c.size, c.format, c.precision, c.value))
            << c.format << ' ' << c.size << ' ' << c.precision << ' ' << c.value;
}

}  // namespace
