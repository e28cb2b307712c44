// What a reader made of a file, kept with the file's bytes and whatever else the reading depended on (its
// context), so that reading the same bytes again in the same context takes the kept result instead of
// parsing them again. The file is still read at every ask: a change on disk, by the user or by this process,
// is seen at once, whatever its times say. Only clean reads are kept, so a damaged file is told as before.
#pragma once
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace plat {

template <class T>
class KeptReads {
public:
    // At most `maxKept` files are kept: past that the kept are forgotten (a folder of many files).
    explicit KeptReads(std::size_t maxKept = 512) : maxKept_(maxKept) {}

    // True, with the kept result copied to `out`, when `key` was kept from these bytes in this context.
    bool take(const std::string& key, std::string_view bytes, std::string_view context, T& out) const {
        std::lock_guard lock(mutex_);
        const auto it = kept_.find(key);
        if (it == kept_.end() || it->second.bytes != bytes || it->second.context != context) return false;
        out = it->second.value;
        return true;
    }

    void keep(const std::string& key, std::string_view bytes, std::string_view context, const T& value) {
        std::lock_guard lock(mutex_);
        if (kept_.size() >= maxKept_ && !kept_.contains(key)) kept_.clear();
        kept_[key] = ENTRY{std::string(bytes), std::string(context), value};
    }

private:
    std::size_t maxKept_;
    struct ENTRY {
        std::string bytes, context;
        T value;
    };
    mutable std::mutex mutex_;
    std::map<std::string, ENTRY> kept_;
};

}  // namespace plat
