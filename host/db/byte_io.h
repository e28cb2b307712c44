// Little-endian byte writer and bounds-checked reader for the blobs of part files. Doubles travel as their
// 64-bit patterns, so every value (sweeps keyed by their last bits, NaN included) reads back bit for bit.
// A reader that runs past its end or meets an impossible count turns bad and stays bad.
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "host/api.h"

namespace host::db {

class ByteWriter {
public:
    void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) { fixed(v, 2); }
    void i16(std::int16_t v) { fixed(static_cast<std::uint16_t>(v), 2); }
    void u32(std::uint32_t v) { fixed(v, 4); }
    void i32(std::int32_t v) { fixed(static_cast<std::uint32_t>(v), 4); }
    void f64(double v) { fixed(std::bit_cast<std::uint64_t>(v), 8); }
    void pt(const p_3d& p) {
        f64(p.x);
        f64(p.y);
        f64(p.z);
    }
    void bytes(std::string_view b) {
        u32(static_cast<std::uint32_t>(b.size()));
        out_.append(b);
    }
    // Bytes alone, without their length: a block whose size the record's layout gives.
    void raw(std::string_view b) { out_.append(b); }
    void reserve(std::size_t bytes) { out_.reserve(bytes); }
    const std::string& data() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    void fixed(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    std::string out_;
};

class ByteReader {
public:
    explicit ByteReader(std::string_view in) : in_(in) {}
    std::uint8_t u8() { return static_cast<std::uint8_t>(fixed(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(fixed(2)); }
    std::int16_t i16() { return static_cast<std::int16_t>(fixed(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(fixed(4)); }
    std::int32_t i32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(fixed(4))); }
    double f64() { return std::bit_cast<double>(fixed(8)); }
    p_3d pt() {
        p_3d p;
        p.x = f64();
        p.y = f64();
        p.z = f64();
        return p;
    }
    std::string bytes() {
        const std::uint32_t n = u32();
        if (!ok_ || n > in_.size() - pos_) {
            fail();
            return {};
        }
        std::string s(in_.substr(pos_, n));
        pos_ += n;
        return s;
    }
    // `n` bytes alone into `out`; a reader without them fails and leaves `out` as it was.
    void raw(void* out, std::size_t n) {
        if (!ok_ || n > in_.size() - pos_) {
            fail();
            return;
        }
        std::memcpy(out, in_.data() + pos_, n);
        pos_ += n;
    }
    // A count of items of `itemSize` bytes each that must still fit in what is left.
    std::uint32_t count(std::size_t itemSize) {
        const std::uint32_t n = u32();
        if (ok_ && itemSize > 0 && n > (in_.size() - pos_) / itemSize) fail();
        return ok_ ? n : 0;
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return ok_ && pos_ == in_.size(); }
    void fail() { ok_ = false; }

private:
    std::uint64_t fixed(int n) {
        if (!ok_ || static_cast<std::size_t>(n) > in_.size() - pos_) {
            ok_ = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(in_[pos_ + i])) << (8 * i);
        pos_ += static_cast<std::size_t>(n);
        return v;
    }
    std::string_view in_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace host::db
