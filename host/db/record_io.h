// The two walkers of a stored record's one field list. A record's fields are listed once, in stored order,
// as a function template `xxxFields(io, record)`; FIELDS_OUT walks it over a const record and writes each
// field, FIELDS_IN over a fresh one and reads it back, so a field is named once for both. Each call names
// the field's stored type (byte_io.h); an array field is its elements in order.
#pragma once
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "host/db/byte_io.h"

namespace host::db {

struct FIELDS_OUT {
    static constexpr bool kReads = false;
    ByteWriter w;

    template <class T> void u8(const T& v) { each(v, [&](auto x) { w.u8(static_cast<std::uint8_t>(x)); }); }
    template <class T> void u16(const T& v) { each(v, [&](auto x) { w.u16(static_cast<std::uint16_t>(x)); }); }
    template <class T> void i16(const T& v) { each(v, [&](auto x) { w.i16(static_cast<std::int16_t>(x)); }); }
    template <class T> void u32(const T& v) { each(v, [&](auto x) { w.u32(static_cast<std::uint32_t>(x)); }); }
    template <class T> void i32(const T& v) { each(v, [&](auto x) { w.i32(static_cast<std::int32_t>(x)); }); }
    template <class T> void f64(const T& v) { each(v, [&](double x) { w.f64(x); }); }
    template <class T> void pt(const T& v) { each(v, [&](const p_3d& p) { w.pt(p); }); }
    // A u8 that is 0 or 1.
    void flag(bool v) { w.u8(v ? 1 : 0); }
    // A u32 length and the bytes: a string or a vector or array of bytes.
    template <class C> void bytes(const C& c) { w.bytes({reinterpret_cast<const char*>(c.data()), c.size()}); }
    // A block of a fixed size, its bytes alone: the layout gives its length.
    template <class B, std::size_t N> void block(const std::array<B, N>& a) {
        w.raw({reinterpret_cast<const char*>(a.data()), N * sizeof(B)});
    }
    // A name kept in a fixed, zero-ended array: its bytes up to the first zero. Whether the reader refuses
    // a zero inside (views never did: the name ends there) is the reader's.
    template <std::size_t N> void name(const char (&s)[N], bool = true) { w.bytes({s, strnlen(s, N - 1)}); }
    // A u32 count and the items, each walked by `item(io, element)`; the reader's `minItemBytes` is the
    // least an item takes, so that a count beyond what is left is refused before anything is allocated.
    template <class V, class F> void list(const V& v, std::size_t /*minItemBytes*/, F&& item) {
        w.u32(static_cast<std::uint32_t>(v.size()));
        for (const auto& x : v) item(*this, x);
    }
    // A field that the record's format version does not store: the reader gives it its default.
    template <class T> void absent(const T&) {}
    // The reader's refusal of what it cannot take; what the writer is given it writes.
    void fail() {}

private:
    template <class T, class F> static void each(const T& v, F&& f) {
        if constexpr (std::is_array_v<T>) for (const auto& x : v) each(x, f);
        else f(v);
    }
};

struct FIELDS_IN {
    static constexpr bool kReads = true;
    ByteReader r;

    explicit FIELDS_IN(std::string_view bytes) : r(bytes) {}

    template <class T> void u8(T& v) { each(v, [&](auto& x) { assign(x, r.u8()); }); }
    template <class T> void u16(T& v) { each(v, [&](auto& x) { assign(x, r.u16()); }); }
    template <class T> void i16(T& v) { each(v, [&](auto& x) { assign(x, r.i16()); }); }
    template <class T> void u32(T& v) { each(v, [&](auto& x) { assign(x, r.u32()); }); }
    template <class T> void i32(T& v) { each(v, [&](auto& x) { assign(x, r.i32()); }); }
    template <class T> void f64(T& v) { each(v, [&](double& x) { x = r.f64(); }); }
    template <class T> void pt(T& v) { each(v, [&](p_3d& p) { p = r.pt(); }); }
    void flag(bool& v) {
        const std::uint8_t b = r.u8();
        if (b > 1) r.fail();
        v = b == 1;
    }
    void bytes(std::string& s) { s = r.bytes(); }
    template <class B> void bytes(std::vector<B>& v) {
        const std::string s = r.bytes();
        v.assign(s.begin(), s.end());
    }
    // A fixed-size block must come back at its size.
    template <class B, std::size_t N> void bytes(std::array<B, N>& a) {
        const std::string s = r.bytes();
        if (s.size() != N * sizeof(B)) return r.fail();
        std::memcpy(a.data(), s.data(), s.size());
    }
    template <class B, std::size_t N> void block(std::array<B, N>& a) { r.raw(a.data(), N * sizeof(B)); }
    // A name too long for its array, or with a zero inside, is no name the writer made.
    template <std::size_t N> void name(char (&s)[N], bool zeroRefused = true) {
        const std::string b = r.bytes();
        if (b.size() >= N || (zeroRefused && b.find('\0') != std::string::npos)) r.fail();
        std::memset(s, 0, N);
        std::memcpy(s, b.data(), std::min(b.size(), N - 1));
    }
    template <class V, class F> void list(V& v, std::size_t minItemBytes, F&& item) {
        const std::uint32_t n = r.count(minItemBytes);
        v.clear();
        for (std::uint32_t i = 0; i < n && r.ok(); ++i) {
            std::remove_cvref_t<decltype(v[0])> x{};
            item(*this, x);
            v.push_back(std::move(x));
        }
    }
    template <class T> void absent(T& v) { v = T{}; }
    void fail() { r.fail(); }

private:
    template <class T, class V> static void assign(T& x, V v) { x = static_cast<T>(v); }
    template <class T, class F> static void each(T& v, F&& f) {
        if constexpr (std::is_array_v<T>) for (auto& x : v) each(x, f);
        else f(v);
    }
};

// A record's bytes, its fields walked by `fields(io, record)`; and the record read back, false unless the
// bytes were exactly one whole record.
template <class R, class F>
std::string writeFields(const R& record, F&& fields) {
    FIELDS_OUT out;
    fields(out, record);
    return out.w.take();
}
template <class R, class F>
bool readFields(std::string_view bytes, R& record, F&& fields) {
    FIELDS_IN in(bytes);
    fields(in, record);
    return in.r.atEnd();
}

}  // namespace host::db
