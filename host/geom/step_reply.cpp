// The parser of the STEP reader's reply: every length and count is checked against the bytes left.
#include "host/geom/step_reply.h"

#include <charconv>
#include <cmath>

namespace host {
namespace {

class Cursor {
public:
    explicit Cursor(std::string_view s) : s_(s) {}

    bool literal(std::string_view text) {
        if (s_.substr(0, text.size()) != text) return false;
        s_.remove_prefix(text.size());
        return true;
    }
    // A decimal number followed by `end`.
    template <typename T>
    bool number(T& value, char end) {
        auto [next, ec] = std::from_chars(s_.data(), s_.data() + s_.size(), value);
        if (ec != std::errc() || next == s_.data() + s_.size() || *next != end) return false;
        s_.remove_prefix(static_cast<std::size_t>(next - s_.data()) + 1);
        return true;
    }
    // A finite number in hexadecimal floating point (std::to_chars's form, no "0x") followed by `end`.
    bool hexNumber(double& value, char end) {
        auto [next, ec] = std::from_chars(s_.data(), s_.data() + s_.size(), value, std::chars_format::hex);
        if (ec != std::errc() || !std::isfinite(value) || next == s_.data() + s_.size() || *next != end) return false;
        s_.remove_prefix(static_cast<std::size_t>(next - s_.data()) + 1);
        return true;
    }
    bool bytes(std::size_t n, std::string& out) {
        if (n > s_.size()) return false;
        out.assign(s_.substr(0, n));
        s_.remove_prefix(n);
        return true;
    }
    bool empty() const { return s_.empty(); }
    std::size_t left() const { return s_.size(); }

private:
    std::string_view s_;
};

bool text(Cursor& c, std::string& out) {
    std::size_t n = 0;
    return c.number(n, '\n') && c.bytes(n, out) && c.literal("\n");
}

// `count` boxes, each six numbers followed by ' '.
bool boxes(Cursor& c, std::size_t count, std::vector<Box3>& out) {
    if (count > c.left() / 30) return false;   // each box takes at least 30 bytes
    out.resize(count);
    for (Box3& box : out)
        for (double* v : {&box.min[0], &box.min[1], &box.min[2], &box.max[0], &box.max[1], &box.max[2]})
            if (!c.hexNumber(*v, ' ')) return false;
    return true;
}

bool body(Cursor& c, StepReplyBody& b) {
    std::size_t nameLen = 0, brepLen = 0, faces = 0;
    if (!c.number(nameLen, ' ') || !c.number(b.colour, ' ') || !c.number(brepLen, ' ') || !c.number(faces, '\n'))
        return false;
    if (b.colour < -1 || b.colour > 0xFFFFFF) return false;
    if (!c.bytes(nameLen, b.name) || !c.bytes(brepLen, b.brep)) return false;
    if (faces > c.left() / 2) return false;   // each colour takes at least two bytes
    b.faceColours.reserve(faces);
    for (std::size_t i = 0; i < faces; ++i) {
        int colour = 0;
        if (!c.number(colour, ' ') || colour < -1 || colour > 0xFFFFFF) return false;
        b.faceColours.push_back(colour);
    }
    return c.literal("\n") && boxes(c, faces, b.faceBoxes) && c.literal("\n");
}

}  // namespace

bool parseStepReply(std::string_view reply, StepReply& out) {
    Cursor c(reply);
    if (!c.literal("FXSTEP 1\n")) return false;
    for (;;) {
        if (c.literal("E\n")) return c.empty();
        if (c.literal("W ")) {
            std::string w;
            if (!text(c, w)) return false;
            out.warnings.push_back(std::move(w));
        } else if (c.literal("X ")) {
            if (!text(c, out.error)) return false;
        } else if (c.literal("S ")) {
            StepReplyBody b;
            if (!body(c, b)) return false;
            out.bodies.push_back(std::move(b));
        } else {
            return false;
        }
    }
}

std::optional<std::vector<GeometryReplyText>> parseGeometryReply(std::string_view reply, std::size_t texts) {
    Cursor c(reply);
    std::string made;
    if (!c.literal("FXGEOM 2\n") || !c.bytes(texts, made) || !c.literal("\n")) return std::nullopt;
    std::vector<GeometryReplyText> out(texts);
    for (std::size_t i = 0; i < texts; ++i) {
        if (made[i] != '0' && made[i] != '1') return std::nullopt;
        out[i].made = made[i] == '1';
        std::size_t faces = 0;
        if (out[i].made && !(c.number(faces, '\n') && boxes(c, faces, out[i].faceBoxes) && c.literal("\n")))
            return std::nullopt;
    }
    if (!c.literal("E\n") || !c.empty()) return std::nullopt;
    return out;
}

}  // namespace host
