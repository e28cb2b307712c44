// Packed part-file blobs: whatever is packed unpacks to the same bytes, packed or stored as is, and pieces
// pack as their join; a blob that lies about its length, is cut short or damaged, or is of no known form is
// refused without taking the room it claims.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "host/db/blob_pack.h"

namespace {

using host::db::packBlob;
using host::db::unpackBlob;

std::string noise(std::size_t n) {
    std::mt19937 random(5);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

TEST(BlobPack, WhatIsPackedUnpacksToTheSameBytes) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "Face " + std::to_string(i % 97) + " 1.25e-3\n";
    struct CASE {
        const char* what;
        std::string bytes;
        bool shrinks;
    };
    const CASE cases[] = {
        {"nothing", "", false},
        {"one byte", "x", false},
        {"noise", noise(100000), false},
        {"text", text, true},
        {"four megabytes of zeros, more than one piece of output", std::string(std::size_t{4} << 20, '\0'), true},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string packed = packBlob(c.bytes);
        EXPECT_EQ(packed.size() < c.bytes.size() / 2, c.shrinks);
        EXPECT_LE(packed.size(), c.bytes.size() + 1);   // never more than one byte over
        const std::optional<std::string> back = unpackBlob(packed);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, c.bytes);
        EXPECT_EQ(host::db::unpackedBlobLength(packed), c.bytes.size());
        EXPECT_EQ(host::db::unpackBlobHead(packed, 23), c.bytes.substr(0, 23));
    }
}

// A note's body is packed around its text without joining them: the blob is the one its join packs to.
TEST(BlobPack, PiecesPackAsTheirJoin) {
    std::string record;
    for (int i = 0; i < 300000; ++i) record += static_cast<char>('a' + (i * 7 + i / 13) % 16);
    const std::string head = "head\x01\x02", tail = noise(300);
    const struct {
        const char* what;
        std::vector<std::string_view> pieces;
    } cases[] = {
        {"none", {}},
        {"empty pieces", {"", "", ""}},
        {"around a record", {head, record, tail}},
        {"an empty piece between", {head, "", record}},
        {"noise that does not shrink", {tail, tail}},
        {"a record in many pieces", {std::string_view(record).substr(0, 1), std::string_view(record).substr(1, 65536),
                                     std::string_view(record).substr(65537)}},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (std::string_view p : c.pieces) joined += p;
        const std::string packed = host::db::packBlobPieces(c.pieces);
        EXPECT_EQ(packed, packBlob(joined)) << c.what;
        EXPECT_EQ(unpackBlob(packed), joined) << c.what;
        // Handed to a packer one by one; and the middle of three kept packed, as a note's text is.
        host::db::BlobPacker packer;
        for (std::string_view p : c.pieces) packer.add(p);
        const std::optional<std::string> streamed = packer.finish();
        ASSERT_TRUE(streamed) << c.what;
        EXPECT_EQ(unpackBlob(*streamed), joined) << c.what;
        if (c.pieces.size() == 3) {
            EXPECT_EQ(host::db::packBlobAroundPacked(c.pieces[0], packBlob(c.pieces[1]), c.pieces[2]), streamed) << c.what;
        }
    }
    EXPECT_FALSE(host::db::packBlobAroundPacked("a", "\x07" "damaged", "b"));
}

// Rows are packed on several threads at once, each with a compressor of its own that it keeps: every blob
// is the one packing it alone gives, whatever was packed before it on that thread.
TEST(BlobPack, ThreadsPackAsOnePackerDoes) {
    std::vector<std::string> inputs;
    for (int i = 0; i < 64; ++i) {
        std::string bytes;
        for (int k = 0; k < 50 * i; ++k) bytes += "Face " + std::to_string((k * i) % 31) + " ";
        inputs.push_back(i % 5 == 0 ? noise(static_cast<std::size_t>(40 * i)) : bytes);
    }
    std::vector<std::string> alone;
    for (const std::string& in : inputs) alone.push_back(packBlob(in));
    std::vector<std::string> together(inputs.size());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (std::size_t i = static_cast<std::size_t>(t); i < inputs.size(); i += 4) together[i] = packBlob(inputs[i]);
        });
    for (std::thread& t : threads) t.join();
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(together[i], alone[i]) << i;
        EXPECT_EQ(unpackBlob(together[i]), inputs[i]) << i;
    }
}

TEST(BlobPack, DamagedOrLyingBlobsAreRefused) {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + "\n";
    const std::string good = packBlob(text);
    ASSERT_EQ(good[0], 1);
    auto withLength = [&](std::uint64_t length) {
        std::string b = good;
        for (int i = 0; i < 8; ++i) b[1 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
        return b;
    };
    std::string flipped = good;
    flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x10);
    const struct {
        const char* what;
        std::string blob;
    } cases[] = {
        {"empty", ""},
        {"an unknown form", "\x02" + text},
        {"the header cut", good.substr(0, 5)},
        {"the stream cut", good.substr(0, good.size() - 3)},
        {"a flipped bit", flipped},
        {"one byte longer than it is", withLength(text.size() + 1)},
        {"one byte shorter than it is", withLength(text.size() - 1)},
        {"more than deflate can give", withLength(std::uint64_t{2000} * good.size())},
        {"a length past all reason", withLength(~std::uint64_t{0})},
    };
    for (const auto& c : cases) EXPECT_FALSE(unpackBlob(c.blob)) << c.what;
}

// The growth of the process's peak memory while the blob is unpacked, in MiB; negative when it unpacks.
long unpackPeakGrowthMiB(const std::string& blob) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const bool unpacked = unpackBlob(blob).has_value();
    getrusage(RUSAGE_SELF, &after);
    return unpacked ? -1 : (after.ru_maxrss - before.ru_maxrss) / 1024;
}

// A header that claims far more than its stream can give is refused before the room it claims is taken: a
// blob claiming a gigabyte from a few hundred bytes is refused in a process (a fresh one, so that its peak is
// its own) whose peak memory grows by no more than a few MiB meanwhile, not by a failed or wasted gigabyte.
TEST(BlobPack, ALyingLengthIsRefusedBeforeItsRoomIsTaken) {
    std::string blob = packBlob(std::string(300000, 'a'));
    ASSERT_EQ(blob[0], 1);
    ASSERT_LT(blob.size(), 2000u);
    const std::uint64_t claimed = host::db::kMaxUnpackedBlob;
    for (int i = 0; i < 8; ++i) blob[1 + i] = static_cast<char>((claimed >> (8 * i)) & 0xFF);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(unpackPeakGrowthMiB(blob) == 0 ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

}  // namespace
