// The registry as a tree of keys. Children are kept in listing order on insertion, so enumeration needs no
// sort and never depends on insertion order.
#include "platform/sys/registry.h"

#include <algorithm>
#include <utility>

#include "platform/sys/paths.h"

namespace plat {

struct Registry::Key {
    std::string name;
    std::vector<std::unique_ptr<Key>> children;            // in listing order
    std::vector<std::pair<std::string, std::string>> values;  // name, data

    Key* child(std::string_view childName) const {
        for (const auto& c : children)
            if (equalsNoCase(c->name, childName))
                return c.get();
        return nullptr;
    }

    Key& addChild(std::string_view childName) {
        if (Key* existing = child(childName))
            return *existing;
        auto key = std::make_unique<Key>();
        key->name = childName;
        const auto at = std::upper_bound(children.begin(), children.end(), key,
                                         [](const auto& a, const auto& b) { return listedBefore(a->name, b->name); });
        return **children.insert(at, std::move(key));
    }
};

namespace {

// The levels of a key path; empty levels (leading, trailing or doubled '\\') are ignored.
std::vector<std::string_view> levels(std::string_view key) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos <= key.size()) {
        std::size_t end = key.find('\\', pos);
        if (end == std::string_view::npos)
            end = key.size();
        if (end > pos)
            out.push_back(key.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

}  // namespace

Registry::Registry() : root_(std::make_unique<Key>()) {}
Registry::~Registry() = default;

void Registry::setString(std::string_view key, std::string_view name, std::string_view value) {
    std::lock_guard lock(mutex_);
    Key* k = root_.get();
    for (std::string_view level : levels(key))
        k = &k->addChild(level);
    for (auto& [valueName, data] : k->values) {
        if (equalsNoCase(valueName, name)) {
            data = value;
            return;
        }
    }
    k->values.emplace_back(std::string(name), std::string(value));
}

std::optional<std::string> Registry::queryString(std::string_view key, std::string_view name) const {
    std::lock_guard lock(mutex_);
    const Key* k = root_.get();
    for (std::string_view level : levels(key))
        if (!(k = k->child(level)))
            return std::nullopt;
    for (const auto& [valueName, data] : k->values)
        if (equalsNoCase(valueName, name))
            return data;
    return std::nullopt;
}

std::vector<std::string> Registry::enumSubKeys(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const Key* k = root_.get();
    for (std::string_view level : levels(key))
        if (!(k = k->child(level)))
            return {};
    std::vector<std::string> names;
    names.reserve(k->children.size());
    for (const auto& c : k->children)
        names.push_back(c->name);
    return names;
}

bool Registry::keyExists(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const Key* k = root_.get();
    for (std::string_view level : levels(key))
        if (!(k = k->child(level)))
            return false;
    return true;
}

void Registry::clear() {
    std::lock_guard lock(mutex_);
    root_ = std::make_unique<Key>();
}

Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

}  // namespace plat
