#pragma once

#include "engine/batch_state.h"

#include <QString>

#include <cstdint>

// Sets the batch running and starts its thread, recorded in m_pBatchThread: after `startDelayMs`
// (the window's choice) it runs RunBatch. `batch` must be g_pConvProg.
void StartBatch(CBatchState& batch, std::uint32_t startDelayMs);

// Converts batch.m_tasks one after another on the calling thread, reporting through `batch`.
void RunBatch(CBatchState& batch);

// A path built as "base (n).ext", n = 2, 3, ..., at which nothing exists yet.
QString MakeUniqueName(const QString& path);
