// Table format migration: a table read at an older format version is brought to the current one (21) in
// place, step by step, rewriting its file, rows and processes as it goes.
#pragma once
#include <string>

class CTabColsDesc;

// The table as read by CTabColsDesc::read, without rows. 0 when it is current (or newer, left alone) or was
// brought to the current version; 1 when a process of it does not read whole (nothing is written) or a write
// failed (the user told either way): the table stays readable at the version it had reached, its processes
// migrated for that version.
int updateTableVersion(CTabColsDesc& table);

// The list text of a new list column: "(0,0,6,10,16,25,40)" metric, "(0,0,0.25,0.4,0.6,1,1.5)" inch, or
// "(0," and the words of "CreateDlg" line 20 (metric) or 21 (inch) joined by ",", when that line has any.
std::string defaultListText();
