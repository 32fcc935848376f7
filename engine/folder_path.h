#pragma once

#include <QString>

// Creates the folder and whichever of its parents are missing. 1 when the folder exists afterwards.
int CreateFolderPath(const QString& path);
