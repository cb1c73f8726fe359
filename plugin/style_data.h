// StyleDataQRV runs, StyleDataListQRV lists, and the two decoders of styled-text data.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

namespace qrv {

HostObject DecompileMacStyleDataQRV(HostString text, HostString styles);
HostObject DecompileWinStyleDataQRV(HostString text, HostString styles);

void StyleDataDestructor(HostObject run);
void SetTextColor(HostObject run, intptr_t color);
void SetRed(HostObject run, intptr_t red);
void SetGreen(HostObject run, intptr_t green);
void SetBlue(HostObject run, intptr_t blue);
void SetFontID(HostObject run, intptr_t fontID);
void SetFontName(HostObject run, HostString name);
void SetText(HostObject run, HostString text);

void StyleDataListDestructor(HostObject list);
HostObject StyleDataListStyle(HostObject list, intptr_t index);

}  // namespace qrv
