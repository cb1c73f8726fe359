#include "platform/sound.h"

namespace platform {

OSStatus AudioHardwareGetProperty(uint32_t, uint32_t *, void *) {
  return kAudioHardwareNotRunningError;
}

OSStatus AudioDeviceGetProperty(AudioDeviceID, uint32_t, bool, uint32_t, uint32_t *, void *) {
  return kAudioHardwareBadDeviceError;
}

OSStatus AudioDeviceSetProperty(AudioDeviceID, const void *, uint32_t, bool, uint32_t, uint32_t,
                                const void *) {
  return kAudioHardwareBadDeviceError;
}

}  // namespace platform
