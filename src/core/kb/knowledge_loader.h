#pragma once
// Reads the open syndromes of syn_food into the in-memory knowledge table.
#include "model/knowledge.h"

class QSqlQuery;

namespace tcm {

class TDMServer;

enum class LoadResult {
  Loaded,         // a new table is current
  Unchanged,      // the size query failed (already reported); the previous table stays
  RowsFailed,     // the rows query failed or its reading broke off (already reported); a new empty table is current
};

// Rebuilds the knowledge table of `dm`. Only RowsFailed is a load failure for the caller.
LoadResult LoadData(TDMServer& dm);

// Copies the rows of `ds` (ascending ids, the columns of the rows query) into `table`,
// record k receiving the row with id k; ids without a row leave empty records.
// False when reading stopped on an error before the last row (the table is then partial).
[[nodiscard]] bool LoadDisease(QSqlQuery& ds, KnowledgeTable& table);

// The rows query of the knowledge table.
extern const char* const kKnowledgeRowsQuery;

}  // namespace tcm
