// The reading programs' vsnprintf: a number written as the streams write it ("%.*g") reads as the C library
// writes it, character for character, and every other call is the C library's own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>

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

TEST(NumberText, NumbersAreWrittenAsTheCLibraryWritesThem) {
    using limits = std::numeric_limits<double>;
    const double edges[] = {0.0,   -0.0,  1.0,     -1.0,     0.1,  1.0 / 3,  2.5,    0.5,
                            1e15,  1e16,  1e17,    1e21,     1e-5, 1e-4,     9.9999999999999995e-5,
                            M_PI,  -M_PI / 2,      999999.5, 123456789012345678.0, limits::max(),
                            -limits::max(),        limits::min(),            limits::denorm_min(),
                            std::nan(""),          -std::nan(""),            HUGE_VAL, -HUGE_VAL};
    for (int precision = 0; precision <= 17; ++precision)
        for (double v : edges)
            EXPECT_EQ(written(true, 64, "%.*g", precision, v), written(false, 64, "%.*g", precision, v))
                << precision << ' ' << v;
    // Numbers of every magnitude, at the precisions the kernel's writer uses.
    std::mt19937_64 bits(79);
    for (int i = 0; i < 200000; ++i) {
        double v;
        const std::uint64_t b = bits();
        std::memcpy(&v, &b, sizeof v);
        for (int precision : {6, 15, 17})
            ASSERT_EQ(written(true, 64, "%.*g", precision, v), written(false, 64, "%.*g", precision, v)) << b;
    }
}

// Cut to the room given, or none, with the length that would have been written; precisions past a
// double's digits and other forms are the C library's.
TEST(NumberText, RoomPrecisionAndOtherFormsAreTheCLibrarys) {
    const struct {
        std::size_t size;
        const char* format;
        int precision;
    } cases[] = {{8, "%.*g", 17},  {1, "%.*g", 17},  {0, "%.*g", 17}, {64, "%.*g", 30},
                 {64, "%.*g", -1}, {64, "%.*e", 15}, {64, "%.*f", 15}, {64, "%.*G", 15}};
    for (const auto& c : cases)
        EXPECT_EQ(written(true, c.size, c.format, c.precision, 1.0 / 3),
                  written(false, c.size, c.format, c.precision, 1.0 / 3))
            << c.format << ' ' << c.size << ' ' << c.precision;
    std::ostringstream stream;
    stream.precision(17);
    stream << 0.1 << ' ' << -2.5e-310 << ' ' << 3.0;
    EXPECT_EQ(stream.str(), "0.10000000000000001 -2.5000000000000171e-310 3");
}

}  // namespace
