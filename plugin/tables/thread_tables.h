// The drill-size and thread tables held in PLUGIN_GLOBALS::threadTables (entry 0 the drill-size table when
// the library has one) and the lookups over them. Thread-table columns: 1 designation, 2 nominal diameter,
// 3 pitch, 4 drilled diameter, 5 safety. A designation is compared in its normalised form, ignoring case.
// Kind filter: negative every thread table, 0 kinds 0 .. 999, positive that kind only.
// Outputs are written only on success; null outputs are skipped.
#pragma once
#include <cstdint>
#include <string>

int loadThreadTables();
std::string normalizeThreadName(std::string designation);
int findThreadByName(const std::string& designation, const std::string& tableName, double* nominalDiameter,
                     double* pitch, double* drilledDiameter, double* safety, std::int16_t* kind);
int findThreadRow(const std::string& designation, std::int16_t filter, double* nominalDiameter, double* pitch,
                  double* drilledDiameter, double* safety, std::int16_t* kind, std::string* tableName);
std::string findThreadByDiameterPitch(double diameter, double pitch, std::int16_t filter, std::string* tableName,
                                      double* drilledDiameter, double* safety);
// Filter -2: only the table named by *tableName.
std::string findThreadByDiameter(double diameter, std::int16_t filter, std::string* tableName,
                                 double* nominalDiameter, double* pitch, double* safety);
double findDrillSize(double diameter);
