// The form recognition of a recognition run: every hole of the cleaned tree gets a table, a row of measures
// and a process (a new table where none fits), its operations, and a class that says from which side it is
// machined; the classes are then acted on (holes moved to the opposite view), blocked bottoms made blind,
// depths limited, and the views given their host views, sorted and numbered.
#pragma once

class CProgressBox;
struct VIEW_LIST;

// 0 when done, -1 when stopped (no drill-size table, a row that could not be added, a failed process or
// check, a view or split that could not be made). The head may change; CYCLE_RECORDS::viewsTree follows.
[[nodiscard]] int recognizeForms(VIEW_LIST*& tree, CProgressBox* progress);
