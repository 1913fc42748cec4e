#pragma once

#include <optional>

class DbConnection;

// The COCOMO constant A the team calibrated on its finished projects, kept in the database
// (MCALIB) so that everyone using it estimates alike. Raise DbError.

// The stored constant; nothing when none is stored, or when what is stored is no usable
// constant (not above 0), so that a bad row never turns every estimate to nonsense.
std::optional<double> StoredCocomoA(DbConnection& connection);
// The constant the estimates use: the stored one, else the standard 2.94.
double CocomoAInUse(DbConnection& connection);
void StoreCocomoA(DbConnection& connection, double a);
// Back to the standard constant.
void ResetCocomoA(DbConnection& connection);
