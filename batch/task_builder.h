#pragma once

#include "batch/source_probe.h"
#include "engine/conversion_task.h"

// One conversion task for a listed file, from its probed facts and the current settings: the output
// folder, rate and channels, the expected output length, and the MP3 name after the row's Name text.
CConversionTask BuildConversionTask(const QString& fullPath, const QString& nameText, const FileItemInfo& info);
