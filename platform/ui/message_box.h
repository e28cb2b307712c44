// Message boxes, answered by the script's `answer CODE` step and recorded as
//   msgbox owner=<template id|-> type=YESNO|ICONWARNING caption="..." text="..." -> IDYES
// Any thread may show one (a watcher shows a system-modal box); the driver's mutex keeps step and record
// together.
#pragma once
#include <string>
#include <string_view>

#include "platform/ui/dialog.h"

namespace plat {

constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3,
                   MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONHAND = MB_ICONERROR, MB_ICONEXCLAMATION = MB_ICONWARNING, MB_ICONASTERISK = MB_ICONINFORMATION;
constexpr unsigned MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
constexpr unsigned MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000, MB_SETFOREGROUND = 0x10000, MB_TOPMOST = 0x40000;

// The answer the script gives, which must be one of the box's buttons. On a script error, and after one,
// the box's cancel answer: IDCANCEL when it has that button, else IDNO, else IDABORT, else IDOK.
int messageBox(Dialog* owner, std::string_view text, std::string_view caption, unsigned type);

// "YESNO|ICONWARNING|SYSTEMMODAL"; unknown bits as hex.
std::string messageBoxTypeText(unsigned type);
// "IDYES", ...; else the number.
std::string answerName(int code);

}  // namespace plat
