// Core Audio's device properties. No audio device is reachable through this layer, so the
// default output device is not found and every device call fails as it does for a bad device.
#pragma once

#include <cstdint>

namespace platform {

using OSStatus = int32_t;
using AudioDeviceID = uint32_t;

constexpr uint32_t kAudioHardwarePropertyDefaultSystemOutputDevice = 0x734F7574;  // 'sOut'
constexpr uint32_t kAudioDevicePropertyVolumeScalar = 0x766F6C6D;                 // 'volm'
constexpr uint32_t kAudioDevicePropertyMute = 0x6D757465;                         // 'mute'
constexpr OSStatus kAudioHardwareNotRunningError = 0x73746F70;                    // 'stop'
constexpr OSStatus kAudioHardwareBadDeviceError = 0x21646576;                     // '!dev'

OSStatus AudioHardwareGetProperty(uint32_t property, uint32_t *ioSize, void *outData);
OSStatus AudioDeviceGetProperty(AudioDeviceID device, uint32_t channel, bool isInput,
                                uint32_t property, uint32_t *ioSize, void *outData);
OSStatus AudioDeviceSetProperty(AudioDeviceID device, const void *when, uint32_t channel,
                                bool isInput, uint32_t property, uint32_t size, const void *data);

}  // namespace platform
