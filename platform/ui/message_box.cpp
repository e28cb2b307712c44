// Message boxes: the buttons of each type, the scripted answer and the transcript line.
#include "platform/ui/message_box.h"

#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/ui/driver.h"
#include "platform/ui/text_quote.h"

namespace plat {
namespace {

std::vector<int> buttons(unsigned type) {
    switch (type & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

int cancelAnswer(const std::vector<int>& b) {
    for (int code : {IDCANCEL, IDNO, IDABORT})
        for (int x : b)
            if (x == code) return code;
    return IDOK;
}

bool has(const std::vector<int>& b, int code) {
    for (int x : b)
        if (x == code) return true;
    return false;
}

}  // namespace

std::string answerName(int code) {
    switch (code) {
    case IDOK: return "IDOK";
    case IDCANCEL: return "IDCANCEL";
    case IDABORT: return "IDABORT";
    case IDRETRY: return "IDRETRY";
    case IDIGNORE: return "IDIGNORE";
    case IDYES: return "IDYES";
    case IDNO: return "IDNO";
    default: return std::to_string(code);
    }
}

std::string messageBoxTypeText(unsigned type) {
    static const char* const kButtons[] = {"OK", "OKCANCEL", "ABORTRETRYIGNORE", "YESNOCANCEL", "YESNO", "RETRYCANCEL"};
    static const char* const kIcons[] = {nullptr, "ICONERROR", "ICONQUESTION", "ICONWARNING", "ICONINFORMATION"};
    unsigned b = type & 0xF;
    std::string out = b < 6 ? kButtons[b] : "BUTTONS" + std::to_string(b);
    unsigned icon = (type >> 4) & 0xF;
    if (icon != 0) out += "|" + (icon < 5 ? std::string(kIcons[icon]) : "ICON" + std::to_string(icon));
    unsigned rest = type & ~0xFFu;
    const std::pair<unsigned, const char*> kFlags[] = {{MB_DEFBUTTON2, "DEFBUTTON2"}, {MB_DEFBUTTON3, "DEFBUTTON3"},
                                                       {MB_SYSTEMMODAL, "SYSTEMMODAL"}, {MB_TASKMODAL, "TASKMODAL"},
                                                       {MB_SETFOREGROUND, "SETFOREGROUND"}, {MB_TOPMOST, "TOPMOST"}};
    for (const auto& [bit, name] : kFlags) {
        if (rest & bit) {
            out += std::string("|") + name;
            rest &= ~bit;
        }
    }
    if (rest != 0) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "|0x%X", rest);
        out += buf;
    }
    return out;
}

int messageBox(Dialog* owner, std::string_view text, std::string_view caption, unsigned type) {
    UiDriver& d = driver();
    std::lock_guard lock(d.mutex());
    std::vector<int> b = buttons(type);
    int result = cancelAnswer(b);
    std::optional<Step> step = d.expect({"answer"}, "message box " + quoteText(text));
    // An optional answer naming a button the box does not have does not fit it, as a row that is not there.
    while (step && step->optional && !has(b, step->intArg(0))) {
        d.passOver(*step);
        step = d.expect({"answer"}, "message box " + quoteText(text));
    }
    if (step) {
        int code = step->intArg(0);
        if (has(b, code))
            result = code;
        else
            d.scriptError(&*step, "the message box has no button " + answerName(code) + " (type " +
                                      messageBoxTypeText(type) + ")");
    }
    d.record("msgbox owner=" + (owner ? std::to_string(owner->templateId()) : std::string("-")) +
             " type=" + messageBoxTypeText(type) + " caption=" + quoteText(caption) + " text=" + quoteText(text) +
             " -> " + answerName(result));
    return result;
}

}  // namespace plat
