// CProgressBox: drives the host's wait dialog through a long run: a title, a status line, a bar advanced by
// one per step (from 1; the bar reaches 100 only after about a hundred steps) and the user's Cancel, which
// the host reports through the shared cancel byte g_waitCancel (utilities.h).
// A step returns 1 when the run is to stop and 0 to go on; a caller ends its run at 1 and frees what it built.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/base/text_section.h"

class CProgressBox {
public:
    static constexpr std::size_t kTextSize = 256;   // title and status hold 255 characters

    CProgressBox() = default;
    ~CProgressBox();
    CProgressBox(const CProgressBox&) = delete;
    CProgressBox& operator=(const CProgressBox&) = delete;

    // Loads "ProgressBoxDlg" (with messages); an empty title takes its line 1, an empty status its line 2.
    int open(std::string_view title, std::string_view status);
    int step();
    // As step; a non-zero id also shows that line of "ProgressBoxDlg" as the status.
    int stepMessage(std::int16_t textId);
    int stepText(std::string_view status);
    void close();

    bool active = false;
    CTextSection texts;
    std::string title;
    std::string status;
    std::int16_t stepCount = 0;

private:
    int advance(const std::string* newStatus);
};
