#pragma once

#include <QString>

#include <vector>

// Writes a sound file with libsndfile; `format` is a full libsndfile format (container | subtype).
// Integer samples are full-scale 32-bit values, as libsndfile scales them to the subtype.
void WriteSoundFile(const QString& path, int format, int channels, int rate, const std::vector<int>& samples);
void WriteSoundFile(const QString& path, int format, int channels, int rate, const std::vector<double>& samples);

struct Tone {
    double hz;
    double amplitude;  // of full scale
};

// A 16-bit WAV file with one sine tone per channel.
void WriteToneFile(const QString& path, int rate, const std::vector<Tone>& channels, double seconds);
