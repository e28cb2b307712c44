// Path text: the plug-in builds paths Windows-style ("%s\\Tmp"); here they are joined with '/', and both
// '/' and '\\' are separators when a path is split. Nothing here touches the file system.
#pragma once
#include <string>
#include <string_view>

namespace plat {

// _splitpath's parts: dir keeps its trailing separator, ext keeps its dot (the last dot of the file part),
// drive is "C:" when the path starts with a letter and ':', else "".
struct PathParts {
    std::string drive, dir, name, ext;
};
PathParts splitPath(std::string_view path);

// a + '/' + b with exactly one separator between them; an empty side gives the other unchanged.
std::string joinPath(std::string_view a, std::string_view b);

// Drop one trailing '/' or '\\' (or all of them). A path that is nothing but separators keeps one: the root.
std::string removeTrailingSeparator(std::string path);
std::string removeTrailingSeparators(std::string path);

// Backslashes to '/', so a Windows-style path can be handed to the file system.
std::string toNativePath(std::string path);

// ASCII comparisons ignoring case (bytes above 127 compare as they are). compareNoCase: <0, 0, >0.
bool equalsNoCase(std::string_view a, std::string_view b);
int compareNoCase(std::string_view a, std::string_view b);

// The order of a folder listing or of registry sub-keys: names compared upper-cased, as the file system
// stores them (so '_' sorts after the letters, unlike compareNoCase, which lower-cases as _stricmp does);
// names equal but for case are ordered by their exact bytes, so the order is total.
bool listedBefore(std::string_view a, std::string_view b);

}  // namespace plat
