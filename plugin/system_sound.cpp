#include <cstdint>
#include <initializer_list>

#include "platform/sound.h"
#include "plugin/system.h"

namespace qrv {
namespace {

using platform::AudioDeviceID;

constexpr uint32_t kMaster = 0;
constexpr uint32_t kLeft = 1;
constexpr uint32_t kRight = 2;
constexpr bool kOutput = false;

// Device 0 when there is no default output device, so every later call fails.
AudioDeviceID DefaultOutputDevice() {
  uint32_t size = sizeof(AudioDeviceID);
  AudioDeviceID device = 0;
  if (platform::AudioHardwareGetProperty(platform::kAudioHardwarePropertyDefaultSystemOutputDevice,
                                         &size, &device) != 0) {
    device = 0;
  }
  return device;
}

template <typename Value>
bool SetChannel(AudioDeviceID device, uint32_t channel, uint32_t property, Value value) {
  return platform::AudioDeviceSetProperty(device, nullptr, channel, kOutput, property,
                                          sizeof value, &value) == 0;
}

template <typename Value>
bool GetChannel(AudioDeviceID device, uint32_t channel, uint32_t property, Value &value) {
  uint32_t size = sizeof value;
  value = 0;
  return platform::AudioDeviceGetProperty(device, channel, kOutput, property, &size, &value) == 0;
}

void SetVolumeOn(uint32_t channel, double scalar) {
  const AudioDeviceID device = DefaultOutputDevice();
  const auto value = static_cast<float>(scalar);
  if (!SetChannel(device, channel, platform::kAudioDevicePropertyVolumeScalar, value)) {
    SetChannel(device, kMaster, platform::kAudioDevicePropertyVolumeScalar, value);
  }
}

// The first channel that answers gives the volume.
double GetVolumeFrom(std::initializer_list<uint32_t> channels) {
  const AudioDeviceID device = DefaultOutputDevice();
  for (uint32_t channel : channels) {
    float value = 0;
    if (GetChannel(device, channel, platform::kAudioDevicePropertyVolumeScalar, value)) {
      return value;
    }
  }
  return 0.0;
}

}  // namespace

void SetSoundVolumeQRV(double scalar) {
  const AudioDeviceID device = DefaultOutputDevice();
  const auto value = static_cast<float>(scalar);
  for (uint32_t channel : {kMaster, kLeft, kRight}) {
    SetChannel(device, channel, platform::kAudioDevicePropertyVolumeScalar, value);
  }
}

double GetSoundVolumeQRV() { return GetVolumeFrom({kMaster, kLeft, kRight}); }

void SetSoundVolumeLeftQRV(double scalar) { SetVolumeOn(kLeft, scalar); }

double GetSoundVolumeLeftQRV() { return GetVolumeFrom({kLeft, kMaster}); }

void SetSoundVolumeRightQRV(double scalar) { SetVolumeOn(kRight, scalar); }

double GetSoundVolumeRightQRV() { return GetVolumeFrom({kRight, kMaster}); }

void SetSoundMuteQRV(bool mute) {
  const AudioDeviceID device = DefaultOutputDevice();
  const uint32_t value = mute ? 1 : 0;
  for (uint32_t channel : {kMaster, kLeft, kRight}) {
    SetChannel(device, channel, platform::kAudioDevicePropertyMute, value);
  }
}

bool GetSoundMuteQRV() {
  const AudioDeviceID device = DefaultOutputDevice();
  for (uint32_t channel : {kMaster, kLeft, kRight}) {
    uint32_t value = 0;
    if (GetChannel(device, channel, platform::kAudioDevicePropertyMute, value)) {
      return value == 1;
    }
  }
  return false;
}

}  // namespace qrv
