// An in-memory stand-in for the system registry, from which the host's install data is read. Keys are
// paths like "SOFTWARE\\Maker, Inc.\\Product 12" below one implied root; only '\\' separates levels.
// Key and value names compare ignoring ASCII case and keep the spelling they were first created with.
#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class Registry {
public:
    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Creates the key and its parents as needed; an existing value is replaced.
    void setString(std::string_view key, std::string_view name, std::string_view value);
    std::optional<std::string> queryString(std::string_view key, std::string_view name) const;
    // The direct children of key, in listing order (listedBefore in paths.h), as the system enumerates them:
    // callers that take "the first" key get the same one on every run. Empty for a missing key.
    std::vector<std::string> enumSubKeys(std::string_view key) const;
    bool keyExists(std::string_view key) const;  // "" is the root and always exists
    void clear();

private:
    struct Key;
    mutable std::mutex mutex_;
    std::unique_ptr<Key> root_;
};

// The process's registry (shared by the host, the plug-in module and hostcam).
Registry& registry();

}  // namespace plat
