#pragma once

#include "table.h"

#include <QString>
#include <QStringView>

// Which columns a table is read by: the header's names, the area column (the one whose header
// says so, or as the user named it), the compared one, each row's own scale and method.
namespace mezni {

// The columns as the options and the header say, or the usage error (the headers are given
// then too, for a caller that shows the table).
QString resolveColumns(const TableSource &source, const TableOptions &options,
                       TableColumns &columns);

} // namespace mezni
