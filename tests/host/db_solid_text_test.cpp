// A solid's geometry as the part file keeps it (the kernel's binary form; the BRep text of older files) is
// made once: it comes with the solid from the STEP reader or from the part file it was read from, or is made
// by the first save, and later saves write it again. Saving must never write a form the solid no longer has,
// and a kept form must read as the solid it is kept with.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/db/blob_pack.h"
#include "host/db/geometry_seal.h"
#include "host/geom/brep_text.h"
#include "host/geom/face_geom.h"
#include "host/geom/step_io.h"
#include "host/geom/surface_entities.h"
#include "support/fresh_part.h"
#include "support/step_parts.h"
#include "support/temp_dir.h"

namespace {

using host::SolidGeom;

// The geometry behind a kept or saved solid blob; "" when it does not unpack or unseal.
std::string textOf(const std::string& blob) {
    const std::optional<std::string> unpacked = host::db::unpackBlob(blob);
    if (!unpacked) return {};
    const std::optional<std::string_view> text = host::db::unsealGeometryText(*unpacked);
    return text ? std::string(*text) : std::string();
}

// The geometry column of every solid row of a saved part, by handle.
std::map<std::int64_t, std::string> solidRows(const std::string& file) {
    std::map<std::int64_t, std::string> rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    const std::string sql = "SELECT handle, geom FROM entities WHERE type = " + std::to_string(kEntSolid);
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const void* p = sqlite3_column_blob(st, 1);
        rows[sqlite3_column_int64(st, 0)] =
            p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(st, 1))) : "";
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

std::vector<ent> storedSolids() {
    std::vector<ent> solids;
    for (const ent& e : host::allEntities())
        if (e.type == kEntSolid && e.solid.geom) solids.push_back(e);
    return solids;
}

class SolidText : public FreshPart {
protected:
    std::string file(const char* name) const { return dir.path() + "/" + name; }

    TempDir dir;
};

// Every solid of every STEP part, as other systems write them, comes with its binary form packed as a part
// keeps it, and that form reads as the solid bit for bit: the part reopens as it was imported.
TEST_F(SolidText, StepSolidsComeWithTheirOwnText) {
    int solids = 0;
    for (const auto& part : stepTestParts()) {
        SCOPED_TRACE(part.filename().string());
        const host::StepImport read = host::importStep(part.string());
        for (const host::StepSolid& s : read.solids) {
            ASSERT_TRUE(s.solid.fileText());
            const std::string kept = textOf(*s.solid.fileText());
            ASSERT_TRUE(host::isBinaryBrep(kept));
            const std::optional<host::ReadBrep> made = host::readMadeBrep(kept);
            const std::optional<SolidGeom> again = made ? host::solidFromBrep(*made) : std::nullopt;
            ASSERT_TRUE(again);
            EXPECT_EQ(host::solidToBinary(*again), host::solidToBinary(s.solid));
            // The colours are kept apart from the text: recoloured, the solid keeps it.
            std::vector<int> colours(s.solid.faces().size(), 3);
            EXPECT_EQ(s.solid.withFaceColours(colours).fileText(), s.solid.fileText());
            ++solids;
        }
    }
    EXPECT_GE(solids, 10);
}

// Saved, the solid's row is its geometry as it came; opened again, the solid keeps the row as it was read,
// and saving that part writes the same row.
TEST_F(SolidText, SavedAndReopenedPartsWriteTheTextAsItCame) {
    ASSERT_EQ(host::openStepAsPart(std::string(FX_BINARY_DIR) + "/step_corpus/inch_plate.stp"), "");
    ASSERT_EQ(storedSolids().size(), 1u);
    const SolidGeom imported = *storedSolids()[0].solid.geom;   // shares the shape, which outlives the part
    const std::shared_ptr<const std::string> cameWith = imported.fileText();
    ASSERT_TRUE(cameWith);
    const double volume = imported.volume();

    ASSERT_TRUE(host::savePart(file("first.pfp")).ok);
    const std::map<std::int64_t, std::string> first = solidRows(file("first.pfp"));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first.begin()->second, *cameWith);

    host::newPart();
    ASSERT_TRUE(host::openPart(file("first.pfp")).ok);
    ASSERT_EQ(storedSolids().size(), 1u);
    const SolidGeom reopened = *storedSolids()[0].solid.geom;
    ASSERT_TRUE(reopened.fileText());
    EXPECT_EQ(*reopened.fileText(), first.begin()->second);
    EXPECT_EQ(host::solidToBinary(reopened), host::solidToBinary(imported));
    EXPECT_NEAR(reopened.volume(), volume, 1e-6 * volume);

    ASSERT_TRUE(host::savePart(file("second.pfp")).ok);
    EXPECT_EQ(solidRows(file("second.pfp")), first);
}

// A solid made in the session gets its binary form at its first save and keeps it for the next; cut after
// that, it is a new shape, saved with a form of its own and reopened as cut. A part of an older format, whose
// solids are texts, reopens as the same solid and keeps its text.
TEST_F(SolidText, ASolidIsSavedWithTheTextOfTheShapeItHasNow) {
    const host::builder::BuiltPart block = host::builder::PartBuilder::block({40, 40, 20}).build();
    const host::builder::BuiltPart corner = host::builder::PartBuilder::block({10, 10, 30}, {-5, -5, -5}).build();
    ASSERT_TRUE(block.ok() && corner.ok());
    const db_ptr target = host::storeSolidEntity(block.solid, 5, 1, "block");
    ASSERT_NE(target, 0u);
    EXPECT_FALSE(block.solid.fileText());

    ASSERT_TRUE(host::savePart(file("block.pfp")).ok);
    ASSERT_TRUE(block.solid.fileText());
    EXPECT_EQ(textOf(*block.solid.fileText()), host::solidToBinary(block.solid));
    EXPECT_EQ(solidRows(file("block.pfp")).begin()->second, *block.solid.fileText());

    const db_ptr cutter = host::storeSolidEntity(corner.solid, 5, 1, "corner");
    const db_ptr pair[2] = {target, cutter};
    ASSERT_EQ(sld_new_boolean(1, 2, pair, "corner cut"), 1);
    ASSERT_TRUE(host::savePart(file("cut.pfp")).ok);
    const std::map<std::int64_t, std::string> cut = solidRows(file("cut.pfp"));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_NE(cut.begin()->second, *block.solid.fileText());

    host::newPart();
    ASSERT_TRUE(host::openPart(file("cut.pfp")).ok);
    ASSERT_EQ(storedSolids().size(), 1u);
    const SolidGeom cutSolid = *storedSolids()[0].solid.geom;
    EXPECT_NEAR(cutSolid.volume(), 40.0 * 40 * 20 - 5.0 * 5 * 20, 1e-6);

    host::PartSaveOptions older;
    older.formatVersion = 3;
    ASSERT_TRUE(host::savePart(file("older.pfp"), older).ok);
    const std::string text = textOf(solidRows(file("older.pfp")).begin()->second);
    EXPECT_FALSE(host::isBinaryBrep(text));
    host::newPart();
    ASSERT_TRUE(host::openPart(file("older.pfp")).ok);
    ASSERT_EQ(storedSolids().size(), 1u);
    const SolidGeom reopened = *storedSolids()[0].solid.geom;
    EXPECT_EQ(textOf(*reopened.fileText()), text);
    EXPECT_EQ(host::solidToBrepText(reopened), host::solidToBrepText(cutSolid));
}

}  // namespace
