// A vector whose copies share one buffer until one of them is changed. A part's surfaces repeat the same
// trim polylines by the thousand (every tile of a plate has the same faces), so the database keeps one
// buffer for each distinct polyline (host/db interns them) and a copy of a record copies a pointer.
// Reading is a vector's; changing a vector whose buffer is shared copies the buffer first.
#pragma once
#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <vector>

namespace host {

template <class T>
class SharedVector {
public:
    SharedVector() = default;
    SharedVector(std::initializer_list<T> items) { *this = std::vector<T>(items); }
    SharedVector(std::vector<T> items) { *this = std::move(items); }
    SharedVector& operator=(std::vector<T> items) {
        if (items.empty()) items_.reset();
        else items_ = std::make_shared<std::vector<T>>(std::move(items));
        return *this;
    }
    SharedVector& operator=(std::initializer_list<T> items) { return *this = std::vector<T>(items); }

    [[nodiscard]] std::size_t size() const { return items_ ? items_->size() : 0; }
    [[nodiscard]] bool empty() const { return size() == 0; }
    const T* data() const { return items_ ? items_->data() : nullptr; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size(); }
    const T& operator[](std::size_t i) const { return (*items_)[i]; }
    const T& front() const { return items_->front(); }
    const T& back() const { return items_->back(); }
    bool operator==(const SharedVector& other) const {
        return items_ == other.items_ || std::equal(begin(), end(), other.begin(), other.end());
    }

    // Changes: a shared buffer is copied first.
    T& operator[](std::size_t i) { return own()[i]; }
    void push_back(const T& item) { own().push_back(item); }
    void reserve(std::size_t n) { own().reserve(n); }
    void clear() { items_.reset(); }

    // The buffer, for the database to share one among equal vectors.
    [[nodiscard]] const std::shared_ptr<std::vector<T>>& buffer() const { return items_; }
    void share(std::shared_ptr<std::vector<T>> buffer) { items_ = std::move(buffer); }

private:
    std::vector<T>& own() {
        if (!items_) items_ = std::make_shared<std::vector<T>>();
        else if (items_.use_count() > 1) items_ = std::make_shared<std::vector<T>>(*items_);
        return *items_;
    }
    std::shared_ptr<std::vector<T>> items_;
};

}  // namespace host
