// The files a hostcam run reads and writes, and the one check of whether a file may be written where it is
// asked for: before the run for every output its options name, and at each `save` of the session for the
// part file and the reports the plug-in then writes beside it. Paths are as the user gave them; two paths
// name the same file when they reach it, however spelled (FileIdentity).
#pragma once
#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

#include "hostapp/hostcam.h"

namespace host {

bool isStepFile(const std::string& path);

// What a path names: an existing file by its device and inode (so hard links, symbolic links and other
// spellings meet), a missing one by its absolute path with the folders' links resolved.
struct FileIdentity {
    bool exists = false;
    struct stat st {};
    std::string missing;

    bool operator==(const FileIdentity& other) const {
        if (exists != other.exists) return false;
        return exists ? st.st_dev == other.st.st_dev && st.st_ino == other.st.st_ino : missing == other.missing;
    }
};
FileIdentity identityOf(const std::string& path);

// A file that the run reads or writes, named for the user by its option or by what it holds: `name` as the
// subject of a message, `role` as its object.
struct NamedFile {
    enum Kind {
        Input,
        PartOpened,     // --open or the session's `open`, a part file
        Output,         // written by hostcam
        PartSaved,      // --save or the session's `save`
        Report,         // written by the plug-in beside the part
        Pictures,       // the pictures folder
        PluginFolder,   // beside the module and named after it: the plug-in's tables and settings
    };
    std::string name;
    std::string role;
    std::string path;
    Kind kind;
    bool written() const { return kind == Output || kind == PartSaved || kind == Report || kind == Pictures; }
    bool partFile() const { return kind == PartOpened || kind == PartSaved; }
};

// The files of a run of hostcam with these options and module, and what its session opened so far.
class RunFiles {
public:
    RunFiles() = default;   // no file named: a save is checked against its own place alone
    RunFiles(HostcamOptions options, std::string pluginPath);

    // Every file the run knows of before it starts: the options' files, the plug-in's texts and folder beside
    // the module, and the drilling list and the machining-time report that the plug-in writes beside the
    // part (named after the part's file as it is now: a part left unnamed lies in the host's folder).
    std::vector<NamedFile> files() const;
    // Why the run cannot write what its options name, "" when it can (asked before the part is opened).
    std::string conflict() const;
    // The session's `open` at script line `line` read `path`: no save replaces it, unless both are part files.
    void opened(const std::string& path, int line);
    // Why the session's `save` cannot write the part as `path`, "" when it can: as the refusal of `--save`
    // (the part file's place, the files of the run it or the reports beside it would replace), with the
    // files the session opened; the save after the session may write the same part over it.
    std::string saveRefusal(const std::string& path) const;

private:
    std::vector<NamedFile> filesWith(const NamedFile& saved, const std::string& partPath) const;

    HostcamOptions options_;
    std::string pluginPath_;
    std::vector<NamedFile> opened_;
};

}  // namespace host
