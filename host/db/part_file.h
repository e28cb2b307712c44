// Private to the host stand-in: a part file read whole into memory, before it replaces the open part
// (openPart) or is walked entity by entity (read_ent). The file's layout is described in part_file.cpp.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/db/database.h"
#include "host/ops/ops_part.h"
#include "host/state.h"
#include "host/tools/part_tools.h"
#include "host/views/view_table.h"

namespace host::db {

struct LoadedPart {
    Database db;                      // handles renumbered 1..n in file order, links and refs rebuilt
    views::State views;
    std::vector<view_ent> namedViews;
    view_ent wcs;
    int constrView = 1, toolView = 1;
    job_setup_rec jobSetup;
    std::int32_t mainLevel = 1;
    int mainColor = 10;
    attr_block mainAttrib;
    int release = 0;
    ops::PartOps ops;                 // operations, groups and chains (host/ops/ops_part.h)
    tools::PartToolState tools;
};

// Reads the whole file; on failure `message` says why, naming the file, and `out` is unspecified. A file
// whose packed blobs unpack to more than unpackBudget of its size in all is refused as damaged before
// that room is taken, and one the station has not the memory for is refused, not thrown.
PartFileResult loadPartFile(std::string_view path, LoadedPart& out);

// What a part file of that size may unpack to in all: a floor any part may use, then 64 times its size
// (deflate packs a run of one byte about a thousandfold, a part's records and geometry a few times), never
// more than 2 GiB.
std::uint64_t unpackBudget(std::uint64_t fileSize);

}  // namespace host::db
