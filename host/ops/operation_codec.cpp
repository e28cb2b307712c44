// The explicit codec of the host's operation record: each member at its place in the 8984-byte image.
#include <cstring>

#include "host/api_ops.h"
#include "host/ops/operation_fields.h"

namespace {

struct ToImage {
    std::uint8_t* image;
    template <class T>
    void operator()(std::size_t at, const T& field) const {
        std::memcpy(image + at, &field, sizeof field);   // little-endian hosts only (asserted in the header)
    }
};

struct FromImage {
    const std::uint8_t* image;
    template <class T>
    void operator()(std::size_t at, T& field) const {
        std::memcpy(&field, image + at, sizeof field);
    }
};

}  // namespace

OPERATION_BYTES operationToImage(const operation& op) {
    OPERATION_BYTES image{};
    host::ops::forEachField(op, ToImage{image.data()});
    return image;
}

operation operationFromImage(const OPERATION_BYTES& image) {
    operation op;
    host::ops::forEachField(op, FromImage{image.data()});
    return op;
}
