#pragma once
// Updates whose success is judged by the row they changed, not by the
// statement having run: a row removed or locked away in between is a failure.
#include "db/sql.h"

namespace tcm {

class TDMServer;

// Runs `updateReturning`, an update ending in "returning <column>"; true when
// it changed a row. A failed statement has been shown by the gateway.
[[nodiscard]] bool updateChangedRow(TDMServer& dm, const Sql& updateReturning);

}  // namespace tcm
