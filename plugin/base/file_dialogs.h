// Asking the user for files and folders: openFileDialog (the common dialog started at a path),
// openFileInEditor (a text file chosen there opens in the host's editor) and CFileDialogST (a small class
// over the open/save dialog and the folder browser). The process's current folder is never changed: the
// platform's dialog takes its start folder as an argument.
// Filters are written "name|*.ext|name|*.ext||"; extensions are given without their dot.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui/dialog.h"

// The chosen path, or "" when the user cancelled. The default extension is appended when the chosen file
// name has no '.'. *filterIndex (when given) goes in as the start filter (1-based, 0 = the first) and comes
// back as the one the user left selected.
std::string openFileDialog(bool open, bool askOverwrite, std::string_view startPath, std::string_view defaultExt,
                           std::string_view filter, std::int16_t* filterIndex = nullptr);

// Offers the path with its name replaced by fileName (when not blank) and its extension by ext, filtered
// by "<filterName>|*.<ext>||"; the chosen file opens in the host's editor. Cancel opens nothing.
void openFileInEditor(std::string_view path, std::string_view fileName, std::string_view ext,
                      std::string_view filterName);

// The dialog's request as the window system's open-file structure carries it.
struct OPEN_FILE_REQUEST {
    std::uint32_t structSize = 0;       // set by DoModal: this platform counts as version 5 or later
    plat::Dialog* owner = nullptr;
    std::string filter;
    int filterIndex = 0;                // 1-based; 0 = the first
    std::string* file = nullptr;        // in: the start name; out: the choice (several: see getNextPathName)
    std::string* fileTitle = nullptr;   // out: the chosen file's name with its extension
    std::string initialDir;             // "" = the folder of the start name
    std::string title;
    unsigned flags = 0;
    std::string defExt;
};

class CFileDialogST {
public:
    static constexpr std::size_t kPathSize = 260;     // own buffers: at most 259 characters
    static constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

    CFileDialogST();   // an open dialog, everything else empty
    // Without a caller's buffer the object's own fileName is used; the explorer style is always added.
    CFileDialogST(int openMode, std::string_view defaultExt, std::string* fileNameBuffer, unsigned flags,
                  std::string_view filter, plat::Dialog* parent);
    virtual ~CFileDialogST() = default;
    CFileDialogST(const CFileDialogST&) = delete;
    CFileDialogST& operator=(const CFileDialogST&) = delete;

    // 1 when a file was chosen, 2 otherwise (also when the choice does not fit the object's own buffer).
    virtual int DoModal();

    // The chosen file: full path, name without extension, name with extension, extension without the dot,
    // drive with folder (ending in a separator), drive ("C:" or "").
    std::string getPathName() const;
    std::string getFileTitle() const;
    std::string getFileName() const;
    std::string getFileExt() const;
    std::string getFileDir() const;
    std::string getFileDrive() const;

    // Walking a multiple selection: the buffer holds the folder and then the names, separated by zero
    // characters in the explorer style (blanks otherwise); a single choice holds the one path.
    std::size_t getStartPosition() const;
    std::string getNextPathName(std::size_t& position) const;

    // 1 when a folder was chosen and fits `folder`, 2 otherwise.
    int SelectFolder(std::string_view title, std::string_view startFolder, unsigned browseFlags,
                     plat::Dialog* owner);
    std::string GetSelectedFolder() const { return folder; }

    OPEN_FILE_REQUEST ofn;
    int openMode = 1;        // 1 open, 0 save
    std::string fileName;    // own buffer
    std::string fileTitle;
    std::string folder;

private:
    const std::string& buffer() const { return ofn.file ? *ofn.file : fileName; }
};
