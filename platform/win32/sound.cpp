// Plays a WAV clip on WAVE_MAPPER from a worker thread of its own, so that
// clips overlap and the caller never waits; the thread owns a copy of the
// samples and closes the device when the clip has played.
#include "platform/win32/sound.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <vector>

#include "platform/wav.h"

namespace {

struct Clip {
    WAVEFORMATEX format = {};
    std::vector<std::uint8_t> samples;
};

DWORD WINAPI play_clip(void* arg) {
    std::unique_ptr<Clip> clip(static_cast<Clip*>(arg));
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!done) return 0;
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, WAVE_MAPPER, &clip->format, reinterpret_cast<DWORD_PTR>(done), 0,
                    CALLBACK_EVENT) == MMSYSERR_NOERROR) {
        WAVEHDR header = {};
        header.lpData = reinterpret_cast<LPSTR>(clip->samples.data());
        header.dwBufferLength = static_cast<DWORD>(clip->samples.size());
        if (waveOutPrepareHeader(device, &header, sizeof header) == MMSYSERR_NOERROR) {
            if (waveOutWrite(device, &header, sizeof header) == MMSYSERR_NOERROR) {
                // The event also fires for the open; wait for the buffer itself,
                // bounded by well over the clip's own length.
                DWORD ms = clip->format.nAvgBytesPerSec
                               ? static_cast<DWORD>(clip->samples.size() * 1000ull / clip->format.nAvgBytesPerSec)
                               : 0;
                DWORD deadline = GetTickCount() + ms + 5000;
                while (!(header.dwFlags & WHDR_DONE) &&
                       static_cast<LONG>(deadline - GetTickCount()) > 0)
                    WaitForSingleObject(done, 100);
                if (!(header.dwFlags & WHDR_DONE)) waveOutReset(device);
            }
            waveOutUnprepareHeader(device, &header, sizeof header);
        }
        waveOutClose(device);
    }
    CloseHandle(done);
    return 0;
}

}  // namespace

void play_wav(const Bytes& wav) {
    WavClip info;
    if (!parse_wav(wav.data(), wav.size(), &info) || info.data_size == 0) return;
    auto clip = std::make_unique<Clip>();
    clip->format.wFormatTag = WAVE_FORMAT_PCM;
    clip->format.nChannels = info.channels;
    clip->format.nSamplesPerSec = info.samples_per_sec;
    clip->format.nAvgBytesPerSec = info.avg_bytes_per_sec;
    clip->format.nBlockAlign = info.block_align;
    clip->format.wBitsPerSample = info.bits_per_sample;
    const std::uint8_t* start = wav.data() + info.data_offset;
    clip->samples.assign(start, start + info.data_size);
    HANDLE thread = CreateThread(nullptr, 0, play_clip, clip.get(), 0, nullptr);
    if (!thread) return;  // no thread, no sound; the clip is freed here
    clip.release();
    CloseHandle(thread);
}
