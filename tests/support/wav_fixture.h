#pragma once

#include <QString>

#include <vector>

// Writes a sound file with libsndfile; `format` is a full libsndfile format (container | subtype).
// Integer samples are full-scale 32-bit values, as libsndfile scales them to the subtype.
void WriteSoundFile(const QString& path, int format, int channels, int rate, const std::vector<int>& samples);
void WriteSoundFile(const QString& path, int format, int channels, int rate, const std::vector<double>& samples);
