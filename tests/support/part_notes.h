// The plug-in's records as notes of a part file, for tests that damage a saved part the way a disk or an
// editor would: read a file's record notes, and write a copy of it with one note's text replaced. Also the
// coded hole names a drawing carries as notes.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/state.h"

namespace part_notes {

// Calls `visit(entry, note)` for every note of the open part, kept ones included, in database order.
template <class Visit>
void forEachNote(Visit visit) {
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_raw_ent(at, 1, kEntNote, &e, &at, &found);
        if (!found) return;
        visit(at, e);
    }
}

// A coded name ("GD_M8_20", "PD_H7_8") on the hole whose mouth is at (x, y, z) of the top view.
inline void nameHole(const std::string& name, double x, double y, double z) {
    ent e{};
    e.type = kEntNote;
    e.note.subKind = 2;
    e.note.name = name;
    e.note.view = 1;
    e.note.nodes.push_back({{x, y, z}, 0});
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&e, &entry, 0, 3, 1, main_attrib, &ok);
    ASSERT_EQ(ok, 1);
}

// Every note text of the open part, kept ones included, in database order.
inline std::vector<std::string> noteTexts() {
    std::vector<std::string> texts;
    forEachNote([&](db_ptr, const ent& e) { texts.emplace_back(host::noteText(e.note.text)); });
    return texts;
}

// The same sorted: the records whatever their order.
inline std::vector<std::string> sortedNotes() {
    std::vector<std::string> texts = noteTexts();
    std::sort(texts.begin(), texts.end());
    return texts;
}

inline std::vector<std::string> notesOfFile(const std::string& file) {
    host::reset();
    const host::PartFileResult opened = host::openPart(file);
    EXPECT_TRUE(opened.ok) << opened.message;
    std::vector<std::string> notes = sortedNotes();
    host::reset();
    return notes;
}

// The notes that hold the records of the plug-in's work cycle, sorted.
inline std::vector<std::string> cycleRecords(const std::vector<std::string>& notes) {
    static const char* const kTags[] = {"DRLU", "DRLT", "DFTU", "DFTT", "DREV", "TLST", "TSEQ", "DRLP", "DOSV", "DOSW"};
    std::vector<std::string> records;
    for (const std::string& note : notes)
        for (const char* tag : kTags)
            if (note.rfind(tag, 0) == 0) records.push_back(note);
    return records;
}
inline std::vector<std::string> cycleRecordsOfFile(const std::string& file) { return cycleRecords(notesOfFile(file)); }
inline std::vector<std::string> cycleRecordsOfOpenPart() { return cycleRecords(sortedNotes()); }

// The text of the first note that begins with `prefix`, "" for none.
inline std::string noteOf(const std::vector<std::string>& notes, const std::string& prefix) {
    for (const std::string& n : notes)
        if (n.rfind(prefix, 0) == 0) return n;
    return {};
}

// Writes `to`: the part `from` with each record note that begins with `prefix` passed through `edit`, which
// gives its new texts (none removes the note, two add a second one). The notes keep their level and stay
// out of sight as the plug-in leaves them.
inline void editNote(const std::string& from, const std::string& to, const std::string& prefix,
                     const std::function<std::vector<std::string>(const std::string&)>& edit) {
    host::reset();
    ASSERT_TRUE(host::openPart(from).ok);
    std::vector<std::pair<db_ptr, ent>> hits;
    forEachNote([&](db_ptr entry, const ent& e) {
        if (std::string(host::noteText(e.note.text)).rfind(prefix, 0) == 0) hits.emplace_back(entry, e);
    });
    ASSERT_FALSE(hits.empty()) << "no note " << prefix;
    for (const auto& [entry, old] : hits) {
        for (const std::string& text : edit(std::string(host::noteText(old.note.text)))) {
            ent note{};
            calc_note(&note, 1, p_3d{0, 0, 0}, text);
            db_ptr stored = 0;
            char ok = 0;
            store_ent(&note, &stored, 0, old.color, old.level, old.attrib, &ok);
            ASSERT_EQ(ok, 1);
            delete_ent(stored, 0, 1, 0, nullptr, 0);
        }
        delete_ent(entry, 0, 0, 0, nullptr, 0);
    }
    const host::PartFileResult saved = host::savePart(to);
    ASSERT_TRUE(saved.ok) << saved.message;
    host::reset();
}

}  // namespace part_notes
