#pragma once

// The owner's record behind a row's user value, read for colouring and numeric sorting. Only the record's
// layout is used here, so the list needs the header and never the code that fills the records.
#include "batch/source_probe.h"

#include <QtGlobal>

inline const FileItemInfo* RowRecord(quintptr userValue)
{
    return reinterpret_cast<const FileItemInfo*>(userValue);
}

// A row without a record counts as readable and as zero in the numeric columns.
inline bool IsUnreadableRow(quintptr userValue)
{
    return userValue != 0 && RowRecord(userValue)->m_bInvalid != 0;
}
