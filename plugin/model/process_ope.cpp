// The text fields of PROCESS_OPE.
#include "plugin/model/process_ope.h"

#include <cstring>

std::string opeText(const PROCESS_OPE& op, process_ope::TEXT_FIELD field) {
    const char* text = reinterpret_cast<const char*>(op.bytes + field.at);
    return std::string(text, strnlen(text, field.capacity - 1));
}

void setOpeText(PROCESS_OPE& op, process_ope::TEXT_FIELD field, std::string_view text) {
    std::memset(op.bytes + field.at, 0, field.capacity);
    const std::size_t n = std::min(text.size(), field.capacity - 1);
    if (n) std::memcpy(op.bytes + field.at, text.data(), n);   // an empty view may have no data at all
}
