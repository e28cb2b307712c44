// Feature marks made from a freshly recognised tree for the features manager: from the host colours of
// the holes' faces (agreed colours mean reamed to a fit class or tapped) and from the geometry of tapped
// holes (a tap-drill cylinder overlapping a thread cylinder whose two diameters a thread table knows).
// Each mark is appended with addFeatureMark; segments straight within 3 degrees only.
#pragma once
#include <cstdint>
#include <string>

struct VIEW_LIST;

constexpr int kReamColourCount = 6;
constexpr int kThreadColourCount = 3;

// A face in thread colour j gives a tapped mark looked up by the segment's diameter (in thread table j,
// or in all thread tables when that name is empty; the walk over the segment's faces ends there); a face
// in ream colour i gives a fit mark whose class is the text in braces of ream table i. Always 0.
int createColorFeatureMarks(VIEW_LIST* tree, const std::uint8_t reamColors[kReamColourCount],
                            const std::uint8_t threadColors[kThreadColourCount],
                            const std::string threadTables[kThreadColourCount],
                            const std::string reamTables[kReamColourCount]);

// A segment with exactly one overlap gives a tapped mark when a thread table has a row for the thread
// diameter (the overlap's) and the tap-drill diameter (the segment's). Always 0.
int createTapFeatureMarks(VIEW_LIST* tree);
