#pragma once

#include <QString>

class DbConnection;

// Deletes everything a function (function != 0) or a whole project (function == 0) owns, in
// the fixed order TCOCOMO, TFPADJ, TFP, TCHARGE, THOUR, TACTUAL, TFUNCTION and, for a project,
// TEXPENSE, TDELIV, TCONTRACT, TDATE, TMEMBER, TPROJDONE, TPROJECT. Runs inside the caller's transaction; errors
// propagate. Descendant projects are not touched.
void DeleteProjectRows(DbConnection& connection, int project, int function);

// The sum of the prices of the counted (not on hold) functions of the project; 0 when none.
double ProjectWorkTotal(DbConnection& connection, int project);
