// The checksum seal of stored geometry: every single-bit change of a sealed text, and every seal that is
// malformed or names another length, is refused; a whole seal gives the text back byte for byte, also
// when its line is packed before the text in pieces, as a saved solid's text is.
#include <gtest/gtest.h>

#include "host/db/blob_pack.h"
#include "host/db/geometry_seal.h"

namespace {

using host::db::sealGeometryText;
using host::db::unsealGeometryText;

TEST(GeometrySeal, EverySingleBitFlipIsRefused) {
    const std::string text = "CASCADE Topology V3, (c) Open Cascade\nLocations 0\nCurve2ds 0\n1 0 0 0 1\n";
    const std::string sealed = sealGeometryText(text);
    EXPECT_EQ(sealed.substr(0, 6), "FXSUM ");
    ASSERT_EQ(unsealGeometryText(sealed), text);
    for (std::size_t i = 0; i < sealed.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            std::string damaged = sealed;
            damaged[i] = static_cast<char>(damaged[i] ^ (1 << bit));
            EXPECT_FALSE(unsealGeometryText(damaged)) << "byte " << i << " bit " << bit;
        }
    }
}

TEST(GeometrySeal, MalformedSealsAreRefused) {
    const std::string sealed = sealGeometryText("abc");
    const std::string cases[] = {
        "",                               // nothing
        "abc",                            // a text without its seal (as version 1 files store it)
        sealed.substr(0, sealed.size() - 1),
        sealed + "d",
        "FXSUM 352441C2 3",               // no line end
        "FXSUM 352441C 3\nabc",           // 7 digits
        "FXSUM 352441C2  3\nabc",
        "FXSUM 352441C2 3x\nabc",
        "FXSUM 352441C2 99999999999999999999999\nabc",
    };
    for (const std::string& c : cases) EXPECT_FALSE(unsealGeometryText(c)) << c;
    EXPECT_EQ(unsealGeometryText(sealGeometryText("")), "");
}

// Small texts are packed whole and texts of megabytes a piece at a time: both ways read back as sealed.
TEST(GeometrySeal, SealLinePackedBeforeTheTextReadsAsTheSealedText) {
    for (const std::size_t size : {std::size_t{100}, std::size_t{5} << 20}) {
        std::string text(size, '\0');
        for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>("0123456789 .-\n"[(i * 7 + i / 13) % 15]);
        const std::string line = host::db::geometrySealLine(text);
        const std::string_view pieces[] = {line, text};
        const std::optional<std::string> unpacked = host::db::unpackBlob(host::db::packBlobPieces(pieces));
        ASSERT_TRUE(unpacked);
        EXPECT_EQ(*unpacked, sealGeometryText(text)) << size;
        EXPECT_EQ(unsealGeometryText(*unpacked), text) << size;
    }
}

}  // namespace
