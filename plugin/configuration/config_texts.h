// The configuration dialog's own text lines and the process clipboard its rows menu copies into.
#pragma once
#include <string>
#include <vector>

#include "plugin/model/process_ope.h"

// Lines of "ConfigProcessDlg" beyond the labels.
constexpr int kLineRemoveRows = 8, kLineDeleteOperation = 7, kLineNearestRange = 10, kLineTolerances = 11,
              kLineRestoreQuestion = 20, kLineSharedInfo = 51, kLineLocalInfo = 52, kLineNewTitle = 81,
              kLineNewPrompt = 82, kLineRenameTitle = 83, kLineRenamePrompt = 84, kLineCopyTitle = 85,
              kLineCopyPrompt = 86, kLineNameTaken = 111, kLineProcessFull = 112, kLineRenameRefused = 113,
              kLineCellLeftEmpty = 114, kLineLastOperationKept = 115;
// Lines of "ErrorMessages".
constexpr int kMsgNoProcess = 77;

// Line `id` of a section of the UI-text file; "" when the section or the line is missing.
std::string sectionText(const char* section, int id);

// A copied process, kept while the plug-in is loaded and replaced by the next copy.
struct PROCESS_CLIPBOARD {
    std::vector<PROCESS_OPE> operations;
    std::string processName;
    std::string tablePath;
};
PROCESS_CLIPBOARD& processClipboard();
