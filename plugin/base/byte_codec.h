// Little-endian reading and writing of stored records, with fixed widths and bounds checks: the one place
// that knows how numbers sit in the bytes the part keeps. A reader never reads past its end; a read that
// would fails and leaves ok() false from then on.
#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    // Bytes handed to `drain` whenever `threshold` of them are held, and at drain(): a stream of tens of
    // megabytes need never be whole. Offsets (size()) count from the first byte written; nothing drained
    // can be patched.
    ByteWriter(std::vector<std::uint8_t>& buffer, std::size_t threshold,
               std::function<void(std::span<const std::uint8_t>)> drain)
        : out_(buffer), threshold_(threshold), drain_(std::move(drain)) {}
    template <class T>
    void put(T value) {
        static_assert(std::is_arithmetic_v<T>);
        std::uint8_t raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));   // the hosts we run on are little-endian
        out_.insert(out_.end(), raw, raw + sizeof(T));
        drainWhenFull();
    }
    void putBytes(const void* data, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + n);
        drainWhenFull();
    }
    void putZeros(std::size_t n) {
        out_.insert(out_.end(), n, 0);
        drainWhenFull();
    }
    // Writes a value at a position already written (a length or offset known only later).
    template <class T>
    void patch(std::size_t at, T value) {
        std::memcpy(out_.data() + (at - drained_), &value, sizeof(T));
    }
    std::size_t size() const { return drained_ + out_.size(); }
    // Hands what is held to the drain (a writer without one keeps it).
    void drain() {
        if (!drain_ || out_.empty()) return;
        drain_(out_);
        drained_ += out_.size();
        out_.clear();
    }

private:
    void drainWhenFull() {
        if (drain_ && out_.size() >= threshold_) drain();
    }
    std::vector<std::uint8_t>& out_;
    std::size_t threshold_ = 0;
    std::function<void(std::span<const std::uint8_t>)> drain_;
    std::size_t drained_ = 0;
};

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const std::vector<std::uint8_t>& bytes) : ByteReader(bytes.data(), bytes.size()) {}
    template <class T>
    T get() {
        static_assert(std::is_arithmetic_v<T>);
        T value{};
        if (!need(sizeof(T))) return value;
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }
    std::string getText(std::size_t n) {
        if (!need(n)) return {};
        std::string text(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return text;
    }
    bool skip(std::size_t n) {
        if (!need(n)) return false;
        pos_ += n;
        return true;
    }
    void seek(std::size_t pos) {
        if (pos > size_) ok_ = false;
        else pos_ = pos;
    }
    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool ok() const { return ok_; }

private:
    bool need(std::size_t n) {
        if (!ok_ || n > size_ - pos_) ok_ = false;
        return ok_;
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// A record's fields named once, in stored order, by a function that calls io(field) for each: walked with
// FIELDS_OUT it writes the record, with FIELDS_IN it reads one, so the writer and the reader cannot drift
// apart. Arrays go element by element.
struct FIELDS_OUT {
    ByteWriter& w;
    template <class T>
    void operator()(const T& value) {
        if constexpr (std::is_array_v<T>) {
            for (const auto& v : value) (*this)(v);
        } else {
            w.put(value);
        }
    }
};

struct FIELDS_IN {
    ByteReader& r;
    template <class T>
    void operator()(T& value) {
        if constexpr (std::is_array_v<T>) {
            for (auto& v : value) (*this)(v);
        } else {
            value = r.get<T>();
        }
    }
};
