#pragma once

#include <QString>

#include <vector>

// What a reference decoder (mpg123) hears in an MP3 file.
struct DecodedMp3 {
    bool ok = false;
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved, full scale 1.0

    long long Frames() const { return channels > 0 ? static_cast<long long>(samples.size()) / channels : 0; }
    // RMS level in dB of one channel, leaving out `edgeSeconds` at both ends where filters settle.
    double LevelDb(int channel, double edgeSeconds = 0.25) const;
};

DecodedMp3 DecodeMp3(const QString& path);

// The stream's bit rate in kbit/s as ffprobe reports it, 0 when it cannot tell.
int Mp3BitrateKbps(const QString& path);

// True when the first frame carries an Info (or Xing) tag.
bool HasInfoTag(const QString& path);
