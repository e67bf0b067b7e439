#include "platform/sound/wave_format.h"

namespace platform {

HRESULT CheckPcmFormat(const WAVEFORMATEX* format)
{
    if (!format)
        return DSERR_INVALIDPARAM;
    if (format->wFormatTag != WAVE_FORMAT_PCM || format->nChannels < 1 || format->nChannels > 2
        || (format->wBitsPerSample != 8 && format->wBitsPerSample != 16))
        return DSERR_BADFORMAT;
    if (format->nSamplesPerSec < DSBFREQUENCY_MIN || format->nSamplesPerSec > DSBFREQUENCY_MAX)
        return DSERR_INVALIDPARAM;
    DWORD block = format->nChannels * format->wBitsPerSample / 8u;
    if (format->nBlockAlign != block || format->nAvgBytesPerSec != block * format->nSamplesPerSec)
        return DSERR_INVALIDPARAM;
    return DS_OK;
}

WAVEFORMATEX PcmFormat(DWORD rate, WORD channels, WORD bits)
{
    WAVEFORMATEX format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * rate;
    return format;
}

} // namespace platform
