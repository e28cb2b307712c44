// The user's lists of views. Stand-in until the views lists are built (docs/seams.md).
#pragma once
#include <string>
#include <vector>

class COnlySelViewsList {
public:
    COnlySelViewsList(std::string prefix, int flag) : prefix_(std::move(prefix)), flag_(flag) {}
    void clear() { names_.clear(); }
    void setPrefix(std::string prefix) { prefix_ = std::move(prefix); }
    const std::string& prefix() const { return prefix_; }
    const std::vector<std::string>& names() const { return names_; }
    std::vector<std::string>& names() { return names_; }

private:
    std::string prefix_;
    int flag_;
    std::vector<std::string> names_;
};

// Converts the old "DOSV" list into an "OSVSd01" record when the part holds none.
void convertOldViewsList();
