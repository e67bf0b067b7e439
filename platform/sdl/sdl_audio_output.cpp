#include "platform/sdl/sdl_audio_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include <SDL2/SDL.h>
#include <alsa/asoundlib.h>

#include "platform/system/debug_output.h"
#include "platform/system/thread_faults.h"

namespace platform {

namespace {

// What ALSA says when it finds no sound card (a machine without one plays through the null output) is for whoever
// debugs the program: a trace, as ALSA itself would word it, never a line on standard error. SDL's audio loads the
// same library, so the handler covers what it asks of ALSA.
void TraceAlsaMessage(const char* file, int line, const char* function, int error, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::string message = std::string("ALSA lib ") + (file ? file : "") + ":" + std::to_string(line) + ":("
        + (function ? function : "") + ") " + text;
    if (error != 0)
        message += std::string(": ") + snd_strerror(error);
    OutputDebugStringA(message.c_str());
}

} // namespace

std::unique_ptr<SdlAudioOutput> SdlAudioOutput::Open(const std::shared_ptr<Mixer>& mixer)
{
    snd_lib_error_set_handler(&TraceAlsaMessage);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return nullptr;
    std::unique_ptr<SdlAudioOutput> output(new SdlAudioOutput(mixer));
    SDL_AudioSpec want {};
    want.freq = Mixer::kRate;
    want.format = AUDIO_S16SYS;
    want.channels = Mixer::kChannels;
    want.samples = 1024;
    want.callback = &SdlAudioOutput::Callback;
    want.userdata = output.get();
    // No changes allowed: SDL converts to whatever the hardware takes.
    output->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (output->device_ == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(output->device_, 0);
    return output;
}

SdlAudioOutput::~SdlAudioOutput()
{
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Nothing may unwind into SDL's audio thread. After a fault the device plays silence, without asking the mixer
// again, while the program closes.
void SdlAudioOutput::Callback(void* self, Uint8* stream, int bytes)
{
    auto* output = static_cast<SdlAudioOutput*>(self);
    if (!output->failed_) {
        try {
            output->mixer_->Mix(reinterpret_cast<int16_t*>(stream), bytes / Mixer::kFrameBytes);
            return;
        } catch (...) {
            output->failed_ = true;
            ReportThreadFault();
        }
    }
    std::memset(stream, 0, static_cast<size_t>(bytes));
}

void InstallSdlAudioOutput()
{
    InstallAudioOutput([](const std::shared_ptr<Mixer>& mixer) -> std::unique_ptr<AudioOutput> {
        return SdlAudioOutput::Open(mixer);
    });
}

} // namespace platform
