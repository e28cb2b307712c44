// read_ent over a part file that is not the open part: the file is read whole when it is opened (so a
// damaged file is refused there), then handed out entity by entity after one version entity.
#include <memory>

#include "host/db/part_file.h"

struct part_reader {
    host::db::LoadedPart part;
    bool versionGiven = false;
    db_ptr last = 0;
};

part_reader* read_ent_open(const char* path) {
    if (!path) return nullptr;
    auto reader = std::make_unique<part_reader>();
    if (!host::db::loadPartFile(path, reader->part).ok) return nullptr;
    return reader.release();
}

int read_ent(part_reader* reader, ent* e) {
    if (!reader || !e) return -1;
    if (!reader->versionGiven) {
        reader->versionGiven = true;
        *e = ent{};
        e->type = kEntInfo;
        e->info.subKind = 8;
        e->info.value = reader->part.release;
        return 1;
    }
    const auto& ents = reader->part.db.ents;
    auto it = ents.upper_bound(reader->last);
    if (it == ents.end()) return 0;
    reader->last = it->first;
    it->second.recordInto(*e);
    // The file's texts belong to the reader, not to the open part's text table.
    if (e->type == kEntNote) e->note.text = 0;
    return 1;
}

void read_ent_close(part_reader* reader) { delete reader; }

void FreeEntAllocations(ent* e) {
    if (!e) return;
    e->spl.data = {};
    e->note.name = {};
    e->note.nodes = {};
    e->draft.text1 = {};
    e->draft.text2 = {};
    e->surf.trimPoints = {};
    e->surf.trimBounds = {};
    e->surf.geom.reset();
    e->solid.body = {};
    e->solid.history = {};
    e->solid.geom.reset();
    e->assoc.data = {};
}
