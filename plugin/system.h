// Delays, sound output, the cursor, the time zone and the standard streams.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

namespace qrv {

void DelayQRV(double time);
void DelayWithModeQRV(double time, intptr_t mode);

void SetSoundVolumeQRV(double scalar);
double GetSoundVolumeQRV();
void SetSoundVolumeLeftQRV(double scalar);
double GetSoundVolumeLeftQRV();
void SetSoundVolumeRightQRV(double scalar);
double GetSoundVolumeRightQRV();
void SetSoundMuteQRV(bool mute);
bool GetSoundMuteQRV();

void ShowCursorQRV();
void HideCursorQRV();
void ObscureCursorQRV();
void FlashMenuBarQRV();
intptr_t GetDoubleClickIntervalQRV();

void TimeZoneConstructor(HostObject zone);
double LatitudeGetter(HostObject zone);
double LongitudeGetter(HostObject zone);

HostString StdinRead(HostObject stream, intptr_t count);
void StdoutWrite(HostObject stream, HostString data);

}  // namespace qrv
