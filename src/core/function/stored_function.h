#pragma once

#include "db/row_image.h"

#include <QList>

// What a save of an existing function writes over, as the editor read it: the TFUNCTION columns
// it writes and the rows it rewrites whole.
struct StoredFunction {
    RowImage row;
    QList<RowImage> rows;
};
