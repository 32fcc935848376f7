#include "engine/batch_state.h"
#include "engine/conversion_task.h"
#include "platform/tick.h"

#include <sox.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace {

// libsox's rate effect needs sox_init, which may run only once per process. Its console messages (a
// refused lowpass, clipping warnings) are not for our users.
void InitSoxOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (sox_init() != SOX_SUCCESS)
            throw std::runtime_error("sox_init");
        sox_get_globals()->verbosity = 0;
    });
}

// Hands over a whole request while the reader runs, the remainder once it has finished, then end of data.
int InputDrain(sox_effect_t* effp, sox_sample_t* obuf, size_t* osamp)
{
    *osamp -= *osamp % effp->out_signal.channels;
    const auto request = static_cast<std::uint32_t>(*osamp);
    while (g_pConvProg->IsRunning()) {
        if (g_pReaderRing->Available(0) >= request || !g_pCurrentTask->m_bDecoding.IsSet()) {
            // The reader's flag is read before the ring, so nothing it wrote before clearing it is missed.
            *osamp = g_pReaderRing->Read(obuf, request, 0);
            return *osamp > 0 ? SOX_SUCCESS : SOX_EOF;
        }
        platform::SleepMs(1);
    }
    *osamp = 0;
    return SOX_EOF;
}

int OutputFlow(sox_effect_t*, const sox_sample_t* ibuf, sox_sample_t*, size_t* isamp, size_t* osamp)
{
    const auto count = static_cast<std::uint32_t>(*isamp);
    *osamp = 0;
    while (g_pConvProg->IsRunning()) {
        if (g_pEffectsRing->FreeSpace() >= count)
            return g_pEffectsRing->Write(ibuf, count) == count ? SOX_SUCCESS : SOX_EOF;
        platform::SleepMs(1);
    }
    return SOX_EOF;
}

const sox_effect_handler_t kInputHandler{
    "input", nullptr, SOX_EFF_MCHAN, nullptr, nullptr, nullptr, InputDrain, nullptr, nullptr, 0};
const sox_effect_handler_t kOutputHandler{
    "output", nullptr, SOX_EFF_MCHAN, nullptr, nullptr, OutputFlow, nullptr, nullptr, nullptr, 0};

struct ChainDeleter {
    void operator()(sox_effects_chain_t* chain) const { sox_delete_effects_chain(chain); }
};
using Chain = std::unique_ptr<sox_effects_chain_t, ChainDeleter>;

// A refused effect is left out of the chain; libsox keeps a copy of an accepted one.
void AddEffect(sox_effects_chain_t* chain, sox_effect_t* effect, sox_signalinfo_t* signal,
               const sox_signalinfo_t* requested)
{
    if (sox_add_effect(chain, effect, signal, requested) != SOX_SUCCESS)
        std::free(effect->priv);
    std::free(effect);
}

void AddLibraryEffect(sox_effects_chain_t* chain, const char* name, unsigned argument, sox_signalinfo_t* signal,
                      const sox_signalinfo_t* requested)
{
    const sox_effect_handler_t* handler = sox_find_effect(name);
    if (!handler)
        throw std::runtime_error(name);
    sox_effect_t* effect = sox_create_effect(handler);
    char text[16];
    std::snprintf(text, sizeof text, "%u", argument);
    char* arguments[] = {text};
    sox_effect_options(effect, 1, arguments);
    AddEffect(chain, effect, signal, requested);
}

}  // namespace

int CConversionTask::RunEffects()
{
    m_bProcessing.Set(true);
    try {
        InitSoxOnce();
        const sox_encodinginfo_t encoding{SOX_ENCODING_SIGN2, 32, 0, sox_option_no, sox_option_no, sox_option_no, sox_false};
        sox_signalinfo_t signal{static_cast<sox_rate_t>(m_nSourceRate), m_nSourceChannels, 32, SOX_IGNORE_LENGTH, nullptr};
        const sox_signalinfo_t requested = signal;
        const Chain chain(sox_create_effects_chain(&encoding, &encoding));
        if (!chain)
            throw std::runtime_error("sox_create_effects_chain");

        AddEffect(chain.get(), sox_create_effect(&kInputHandler), &signal, &signal);
        if (m_nTargetChannels != m_nSourceChannels)
            AddLibraryEffect(chain.get(), "channels", m_nTargetChannels, &signal, &requested);
        if (m_nTargetRate != m_nSourceRate)
            AddLibraryEffect(chain.get(), "rate", m_nTargetRate, &signal, &requested);
        AddLibraryEffect(chain.get(), "lowpass", 7000, &signal, &requested);
        AddLibraryEffect(chain.get(), "highpass", 100, &signal, &requested);
        AddEffect(chain.get(), sox_create_effect(&kOutputHandler), &signal, &requested);

        platform::StartWorker(g_pConvProg->m_pEncoderThread, [this] { RunEncoder(); });
        sox_flow_effects(chain.get(), nullptr, nullptr);
    } catch (...) {
        g_pConvProg->m_bRunning.Set(false);
        g_pConvProg->PostLog(QStringLiteral("An error occurred while processing audio data"), kLogError);
        m_bProcessing.Set(false);
        return 0;
    }
    m_bProcessing.Set(false);
    return 1;
}
