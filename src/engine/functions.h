// The Jet functions and operators that SQLite lacks, as SQLite functions
// named jet_*: cint, Int, Fix, StDev, &, \, Mod, IsNull, the string functions,
// and the conversions used when storing into SINGLE and integer columns.
#pragma once

#include <cstdint>

struct sqlite3;

namespace engine {

// Registers every jet_* function on one connection (deterministic). Returns
// an SQLite result code.
int RegisterJetFunctions(sqlite3* db);

// Jet's rounding to an integer: half to even, computed in 64 bits.
int64_t RoundHalfEven(double v);

}  // namespace engine
