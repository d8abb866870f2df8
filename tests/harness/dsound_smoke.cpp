// Opens DirectSound and plays one second of a sine of the frequency given on the command line
// (half amplitude, 48 kHz, 16-bit stereo), then exits. Under the harness the sound is captured
// into a WAV file.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  double frequency = argc > 1 ? atof(argv[1]) : 440.0;
  IDirectSound8* sound = nullptr;
  if (FAILED(DirectSoundCreate8(nullptr, &sound, nullptr))) {
    fprintf(stderr, "dsound_smoke: DirectSoundCreate8 failed\n");
    return 2;
  }
  if (FAILED(sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY))) return 3;

  const int rate = 48000, frames = rate;
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = rate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = rate * 4;
  DSBUFFERDESC description = {};
  description.dwSize = sizeof description;
  description.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
  description.dwBufferBytes = frames * 4;
  description.lpwfxFormat = &format;
  IDirectSoundBuffer* buffer = nullptr;
  if (FAILED(sound->CreateSoundBuffer(&description, &buffer, nullptr))) return 4;

  void* data = nullptr;
  DWORD size = 0;
  if (FAILED(buffer->Lock(0, description.dwBufferBytes, &data, &size, nullptr, nullptr, 0))) return 5;
  short* samples = static_cast<short*>(data);
  for (int i = 0; i < frames; ++i) {
    short value = static_cast<short>(16383.0 * sin(2.0 * 3.14159265358979 * frequency * i / rate));
    samples[2 * i] = value;
    samples[2 * i + 1] = value;
  }
  buffer->Unlock(data, size, nullptr, 0);
  if (FAILED(buffer->Play(0, 0, 0))) return 6;
  DWORD status = DSBSTATUS_PLAYING;
  DWORD start = GetTickCount();
  while ((status & DSBSTATUS_PLAYING) && GetTickCount() - start < 10000) {
    Sleep(20);
    buffer->GetStatus(&status);
  }
  buffer->Release();
  sound->Release();
  return (status & DSBSTATUS_PLAYING) ? 7 : 0;
}
