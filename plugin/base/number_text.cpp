// Number texts of cells and labels.
#include "plugin/base/number_text.h"

#include <cstdio>

#include "plugin/base/globals.h"

std::string trimNumberText(std::string_view text, int width) {
    std::string out(text);
    const std::size_t point = out.find('.');
    if (point != std::string::npos) {
        std::size_t end = out.size();
        while (end > point + 1 && out[end - 1] == '0') --end;
        if (width > 0) {
            for (std::size_t i = end; i < out.size(); ++i) out[i] = ' ';
        } else {
            out.resize(end == point + 1 ? point : end);
        }
    }
    if (width > 0) {
        const std::size_t at = point != std::string::npos ? point : out.size();
        if (static_cast<std::size_t>(width) > at) out.insert(0, static_cast<std::size_t>(width) - at, ' ');
    }
    return out;
}

std::string formatNumber(double value, const char* format) {
    char text[512];
    std::snprintf(text, sizeof text, format ? format : g_fmtFine, value);
    return trimNumberText(text, 0);
}

std::string escapePercent(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && (i + 1 >= text.size() || text[i + 1] != 's')) out += '%';
    }
    return out;
}
