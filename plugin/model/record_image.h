// Helpers for the codecs of records kept in the part as fixed-size byte images: a field goes to or comes
// from its offset in the image as its little-endian bytes (the hosts we run on are little-endian), and a
// link goes as a 32-bit identity number that the writer hands out and the loader maps back to a record.
// Callers keep offsets in one place per record and check them with static_assert.
#pragma once
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>

// The identity number a writer gives a linked record; 0 for none (a null link).
using LinkIdOf = std::function<std::uint32_t(const void*)>;

template <class T>
inline void putField(std::uint8_t* image, std::size_t at, const T& field) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(image + at, &field, sizeof field);
}

template <class T>
inline void getField(const std::uint8_t* image, std::size_t at, T& field) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(&field, image + at, sizeof field);
}

inline void putLink(std::uint8_t* image, std::size_t at, const LinkIdOf& idOf, const void* record) {
    const std::uint32_t id = record ? idOf(record) : 0;
    putField(image, at, id);
}

inline std::uint32_t getLink(const std::uint8_t* image, std::size_t at) {
    std::uint32_t id = 0;
    getField(image, at, id);
    return id;
}

// A record whose image is all it holds: read and written by offset.
template <std::size_t N>
struct BYTE_RECORD {
    static constexpr std::size_t kSize = N;
    std::uint8_t bytes[N] = {};

    template <class T>
    T get(std::size_t at) const {
        assert(at + sizeof(T) <= N && "field outside the record");
        T value{};
        getField(bytes, at, value);
        return value;
    }
    template <class T>
    void set(std::size_t at, T value) {
        assert(at + sizeof(T) <= N && "field outside the record");
        putField(bytes, at, value);
    }
    bool operator==(const BYTE_RECORD&) const = default;
};
