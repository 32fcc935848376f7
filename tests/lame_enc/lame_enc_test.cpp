#include "lame_enc/lame_enc.h"
#include "support/mp3_probe.h"

#include <QString>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The layout callers of lame_enc have always filled, field by field.
static_assert(offsetof(BE_CONFIG, dwStructSize) == 8);
static_assert(offsetof(BE_CONFIG, dwSampleRate) == 12);
static_assert(offsetof(BE_CONFIG, nMode) == 20);
static_assert(offsetof(BE_CONFIG, dwBitrate) == 24);
static_assert(offsetof(BE_CONFIG, nPreset) == 32);
static_assert(offsetof(BE_CONFIG, dwMpegVersion) == 36);
static_assert(offsetof(BE_CONFIG, bWriteVBRHeader) == 64);
static_assert(offsetof(BE_CONFIG, bEnableVBR) == 68);
static_assert(offsetof(BE_CONFIG, bNoRes) == 84);
static_assert(offsetof(BE_CONFIG, nQuality) == 92);
static_assert(sizeof(BE_CONFIG) == 331);

// Reached the way the encoder stage reaches it: by path and by name.
struct LameEnc {
    BEINITSTREAM beInitStream = nullptr;
    BEENCODECHUNKFLOATS16NI beEncodeChunkFloatS16NI = nullptr;
    BEDEINITSTREAM beDeinitStream = nullptr;
    BECLOSESTREAM beCloseStream = nullptr;
    BEWRITEVBRHEADER beWriteVBRHeader = nullptr;
    BEWRITEINFOTAG beWriteInfoTag = nullptr;
};

template <typename Fn>
void Resolve(void* pModule, const char* szName, Fn& fn)
{
    fn = reinterpret_cast<Fn>(dlsym(pModule, szName));
    ASSERT_NE(fn, nullptr) << szName << ": " << dlerror();
}

BE_CONFIG MakeConfig(int32_t nMode, uint32_t nSampleRate, uint32_t nKbps)
{
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_LAME;
    config.dwStructVersion = CURRENT_STRUCT_VERSION;
    config.dwStructSize = CURRENT_STRUCT_SIZE;
    config.dwSampleRate = nSampleRate;
    config.nMode = nMode;
    config.dwBitrate = nKbps;
    config.nPreset = LQP_NOPRESET;
    config.dwMpegVersion = MPEG1;
    config.bWriteVBRHeader = 1;
    config.bNoRes = 1;
    config.nQuality = (255 - 9) * 256 + 9;
    return config;
}

template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& row)
{
    return row.param.szName;
}

enum class TagWriter { InfoTag, VBRHeaderByPath };

constexpr double kToneHz = 1000.0;
constexpr double kSeconds = 2.0;
// Distinct levels per channel (of full scale) so that a lost or swapped channel shows.
constexpr double kLevels[2] = {0.5, 0.25};

class LameEncTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_pModule = dlopen(LAME_ENC_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(s_pModule, nullptr) << dlerror();
        Resolve(s_pModule, "beInitStream", s_lame.beInitStream);
        Resolve(s_pModule, "beEncodeChunkFloatS16NI", s_lame.beEncodeChunkFloatS16NI);
        Resolve(s_pModule, "beDeinitStream", s_lame.beDeinitStream);
        Resolve(s_pModule, "beCloseStream", s_lame.beCloseStream);
        Resolve(s_pModule, "beWriteVBRHeader", s_lame.beWriteVBRHeader);
        Resolve(s_pModule, "beWriteInfoTag", s_lame.beWriteInfoTag);
    }

    static void TearDownTestSuite()
    {
        if (s_pModule != nullptr) {
            dlclose(s_pModule);
            s_pModule = nullptr;
        }
    }

    void SetUp() override
    {
        ASSERT_NE(s_lame.beWriteInfoTag, nullptr);
        std::string pattern = testing::TempDir() + "lame_enc_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }

    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string PathOf(const char* szName) const { return (m_dir / szName).string(); }

    // Drives the module as the encoder stage does: whole chunks, a short last piece, a final
    // empty chunk, flush, close, then the tag into the closed file.
    static void EncodeTone(const BE_CONFIG& config, const std::string& path, TagWriter tagWriter)
    {
        const int nChannels = config.nMode == BE_MP3_MODE_MONO ? 1 : 2;
        const auto nFrames = static_cast<std::size_t>(kSeconds * config.dwSampleRate);
        std::vector<float> channels[2];
        for (int c = 0; c < nChannels; ++c) {
            channels[c].resize(nFrames);
            for (std::size_t i = 0; i < nFrames; ++i) {
                channels[c][i] = static_cast<float>(
                    kLevels[c] * 32768.0 *
                    std::sin(2 * std::numbers::pi * kToneHz * static_cast<double>(i) /
                             config.dwSampleRate));
            }
        }

        uint32_t nChunk = 0;
        uint32_t nBufferSize = 0;
        HBE_STREAM hStream = 0;
        ASSERT_EQ(s_lame.beInitStream(&config, &nChunk, &nBufferSize, &hStream), BE_ERR_SUCCESSFUL);
        ASSERT_EQ(nChunk % static_cast<uint32_t>(nChannels), 0u);
        // Exactly B bytes, so that any overflow is an address-sanitizer error.
        std::vector<uint8_t> output(nBufferSize);
        std::ofstream file(path, std::ios::binary);
        const auto write = [&](uint32_t nBytes) {
            ASSERT_LE(nBytes, nBufferSize);
            file.write(reinterpret_cast<const char*>(output.data()), nBytes);
        };

        const std::size_t nPerChunk = nChunk / static_cast<uint32_t>(nChannels);
        for (std::size_t nDone = 0;;) {
            const auto nSamples = static_cast<uint32_t>(std::min(nPerChunk, nFrames - nDone));
            uint32_t nBytes = 0;
            ASSERT_EQ(s_lame.beEncodeChunkFloatS16NI(
                          hStream, nSamples, channels[0].data() + nDone,
                          nChannels == 2 ? channels[1].data() + nDone : nullptr, output.data(),
                          &nBytes),
                      BE_ERR_SUCCESSFUL);
            ASSERT_NO_FATAL_FAILURE(write(nBytes));
            nDone += nSamples;
            if (nSamples == 0) {
                break;
            }
        }
        uint32_t nBytes = 0;
        ASSERT_EQ(s_lame.beDeinitStream(hStream, output.data(), &nBytes), BE_ERR_SUCCESSFUL);
        ASSERT_NO_FATAL_FAILURE(write(nBytes));
        ASSERT_EQ(s_lame.beCloseStream(hStream), BE_ERR_SUCCESSFUL);
        file.close();
        ASSERT_TRUE(file);

        const BE_ERR nTagResult = tagWriter == TagWriter::InfoTag
                                      ? s_lame.beWriteInfoTag(hStream, path.c_str())
                                      : s_lame.beWriteVBRHeader(path.c_str());
        ASSERT_EQ(nTagResult, BE_ERR_SUCCESSFUL);
    }

    static inline void* s_pModule = nullptr;
    static inline LameEnc s_lame;
    std::filesystem::path m_dir;
};

struct EncodeCase {
    const char* szName;
    int32_t nMode;
    uint32_t nSampleRate;
    uint32_t nReSampleRate;
    uint32_t nKbps;
    TagWriter tagWriter;
    int nExpectedRate;
    int nExpectedKbps;
    bool bTagFits;
};

void PrintTo(const EncodeCase& row, std::ostream* pStream)
{
    *pStream << row.szName;
}

class LameEncEncodeTest : public LameEncTest, public testing::WithParamInterface<EncodeCase> {};

TEST_P(LameEncEncodeTest, DecodesToTheToneAtTheRecordsFormat)
{
    const EncodeCase& row = GetParam();
    BE_CONFIG config = MakeConfig(row.nMode, row.nSampleRate, row.nKbps);
    config.dwReSampleRate = row.nReSampleRate;
    const std::string path = PathOf("tone.mp3");
    ASSERT_NO_FATAL_FAILURE(EncodeTone(config, path, row.tagWriter));

    const int nChannels = row.nMode == BE_MP3_MODE_MONO ? 1 : 2;
    // mpg123 reads the Info tag and drops LAME's encoder delay and padding, as players do.
    const QString mp3 = QString::fromStdString(path);
    const DecodedMp3 decoded = DecodeMp3(mp3);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.rate, row.nExpectedRate);
    EXPECT_EQ(decoded.channels, nChannels);
    EXPECT_EQ(Mp3BitrateKbps(mp3), row.nExpectedKbps);

    const auto dFrames = static_cast<double>(decoded.Frames());
    const double dExpectedFrames = kSeconds * row.nExpectedRate;
    if (row.bTagFits) {
        EXPECT_NEAR(dFrames, dExpectedFrames, 2.0);
    } else {
        // Without the tag a decoder also plays LAME's delay and padding: a few 576-sample frames.
        EXPECT_GT(dFrames, dExpectedFrames);
        EXPECT_LE(dFrames, dExpectedFrames + 4 * 576);
    }
    for (int c = 0; c < nChannels; ++c) {
        const double dExpectedDb = 20 * std::log10(kLevels[c] / std::numbers::sqrt2);
        EXPECT_NEAR(decoded.LevelDb(c, kSeconds / 4), dExpectedDb, 1.0) << "channel " << c;
    }
}

// LAME picks the output rate and with it the MPEG version (MPEG-1 from 32 kHz, MPEG-2 from
// 16 kHz, MPEG-2.5 below), and takes the nearest bit rate that version allows. Its Info tag
// must fit in one frame of the stream's bit rate, which frames of 8 kbit/s at 8 kHz cannot hold.
INSTANTIATE_TEST_SUITE_P(
    Formats, LameEncEncodeTest,
    testing::Values(
        EncodeCase{"Mono44100At128", BE_MP3_MODE_MONO, 44100, 0, 128, TagWriter::InfoTag, 44100, 128, true},
        EncodeCase{"Stereo44100At320", BE_MP3_MODE_STEREO, 44100, 0, 320, TagWriter::InfoTag, 44100, 320, true},
        EncodeCase{"JointStereo22050At128", BE_MP3_MODE_JSTEREO, 22050, 0, 128, TagWriter::VBRHeaderByPath, 22050, 128, true},
        EncodeCase{"Stereo8000At320", BE_MP3_MODE_STEREO, 8000, 0, 320, TagWriter::VBRHeaderByPath, 8000, 64, true},
        EncodeCase{"Mono44100ResampledTo22050", BE_MP3_MODE_MONO, 44100, 22050, 64, TagWriter::InfoTag, 22050, 64, true},
        EncodeCase{"Stereo8000ResampledTo48000", BE_MP3_MODE_STEREO, 8000, 48000, 320, TagWriter::InfoTag, 48000, 320, true},
        EncodeCase{"Stereo44100At8", BE_MP3_MODE_STEREO, 44100, 0, 8, TagWriter::InfoTag, 8000, 8, false},
        EncodeCase{"Mono22050At8", BE_MP3_MODE_MONO, 22050, 0, 8, TagWriter::VBRHeaderByPath, 8000, 8, false}),
    CaseName<EncodeCase>);

struct RefusedCase {
    const char* szName;
    void (*mutate)(BE_CONFIG&);
    BE_ERR nExpected;
};

void PrintTo(const RefusedCase& row, std::ostream* pStream)
{
    *pStream << row.szName;
}

class LameEncRefusedTest : public LameEncTest, public testing::WithParamInterface<RefusedCase> {};

TEST_P(LameEncRefusedTest, RefusesTheRecord)
{
    BE_CONFIG config = MakeConfig(BE_MP3_MODE_STEREO, 44100, 128);
    GetParam().mutate(config);
    uint32_t nChunk = 0;
    uint32_t nBufferSize = 0;
    HBE_STREAM hStream = 0;
    EXPECT_EQ(s_lame.beInitStream(&config, &nChunk, &nBufferSize, &hStream), GetParam().nExpected);
    EXPECT_EQ(hStream, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Records, LameEncRefusedTest,
    testing::Values(
        RefusedCase{"BladeEncForm", [](BE_CONFIG& c) { c.dwConfig = 0; }, BE_ERR_INVALID_FORMAT},
        RefusedCase{"OlderRecordSize", [](BE_CONFIG& c) { c.dwStructSize = 327; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
        RefusedCase{"UnknownVersion", [](BE_CONFIG& c) { c.dwStructVersion = 2; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
        RefusedCase{"VariableBitRate", [](BE_CONFIG& c) { c.bEnableVBR = 1; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
        RefusedCase{"DualChannel", [](BE_CONFIG& c) { c.nMode = BE_MP3_MODE_DUALCHANNEL; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
        RefusedCase{"NoInputRate", [](BE_CONFIG& c) { c.dwSampleRate = 0; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
        RefusedCase{"OutputRateMpegLacks", [](BE_CONFIG& c) { c.dwReSampleRate = 44000; }, BE_ERR_INVALID_FORMAT_PARAMETERS}),
    CaseName<RefusedCase>);

TEST_F(LameEncTest, RefusesChunksItCannotEncodeFaithfully)
{
    const BE_CONFIG config = MakeConfig(BE_MP3_MODE_STEREO, 44100, 320);
    uint32_t nChunk = 0;
    uint32_t nBufferSize = 0;
    HBE_STREAM hStream = 0;
    ASSERT_EQ(s_lame.beInitStream(&config, &nChunk, &nBufferSize, &hStream), BE_ERR_SUCCESSFUL);
    const uint32_t nPerChannel = nChunk / 2;
    std::vector<float> left(nPerChannel + 1);
    std::vector<float> right(nPerChannel + 1);
    std::vector<uint8_t> output(nBufferSize);
    uint32_t nBytes = 1;

    EXPECT_EQ(s_lame.beEncodeChunkFloatS16NI(hStream, nPerChannel + 1, left.data(), right.data(),
                                             output.data(), &nBytes),
              BE_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(nBytes, 0u);
    EXPECT_EQ(s_lame.beEncodeChunkFloatS16NI(hStream, nPerChannel, left.data(), nullptr,
                                             output.data(), &nBytes),
              BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(s_lame.beEncodeChunkFloatS16NI(hStream, nPerChannel, left.data(), right.data(),
                                             output.data(), &nBytes),
              BE_ERR_SUCCESSFUL);
    EXPECT_LE(nBytes, nBufferSize);
    EXPECT_EQ(s_lame.beCloseStream(hStream), BE_ERR_SUCCESSFUL);
}

TEST_F(LameEncTest, TagsAClosedStreamOnceThenForgetsIt)
{
    const BE_CONFIG config = MakeConfig(BE_MP3_MODE_MONO, 22050, 64);
    const std::string path = PathOf("once.mp3");
    ASSERT_NO_FATAL_FAILURE(EncodeTone(config, path, TagWriter::VBRHeaderByPath));
    EXPECT_EQ(s_lame.beWriteVBRHeader(path.c_str()), BE_ERR_INVALID_HANDLE);

    // Closed after some chunks without a flush, as the encoder stage does when encoding fails.
    uint32_t nChunk = 0;
    uint32_t nBufferSize = 0;
    HBE_STREAM hStream = 0;
    ASSERT_EQ(s_lame.beInitStream(&config, &nChunk, &nBufferSize, &hStream), BE_ERR_SUCCESSFUL);
    std::vector<float> silence(nChunk);
    std::vector<uint8_t> output(nBufferSize);
    uint32_t nBytes = 0;
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(s_lame.beEncodeChunkFloatS16NI(hStream, nChunk, silence.data(), nullptr,
                                                 output.data(), &nBytes),
                  BE_ERR_SUCCESSFUL);
    }
    ASSERT_EQ(s_lame.beCloseStream(hStream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(s_lame.beDeinitStream(hStream, output.data(), &nBytes), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(s_lame.beCloseStream(hStream), BE_ERR_INVALID_HANDLE);

    const std::string missing = PathOf("missing.mp3");
    EXPECT_EQ(s_lame.beWriteInfoTag(hStream, missing.c_str()), BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(s_lame.beWriteInfoTag(hStream, path.c_str()), BE_ERR_INVALID_HANDLE);
}

}  // namespace
