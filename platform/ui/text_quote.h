// Texts as the transcript shows them. The plug-in's texts are Windows-1252 bytes; the transcript is UTF-8,
// one event a line, so a quoted text has its quotes, backslashes and line breaks escaped.
#pragma once
#include <string>
#include <string_view>

namespace plat {

std::string cp1252ToUtf8(std::string_view bytes);
// "..." with \" \\ \n \r \t escaped and the bytes converted to UTF-8.
std::string quoteText(std::string_view bytes);
// "#RRGGBB" for a 0x00BBGGRR colour.
std::string colorText(unsigned color);

}  // namespace plat
