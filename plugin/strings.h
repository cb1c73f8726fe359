// Four-character codes, the string hash, byte masking and string encodings.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

namespace qrv {

intptr_t OSTypeFromStringQRV(HostString str);
HostString StringFromOSTypeQRV(intptr_t code);
intptr_t GetHash32QRV(HostString s);
HostString BitwiseXORStringBytesQRV(HostString s, intptr_t v);
intptr_t GetEncodingOfStringQRV(HostString s);
void SetEncodingOfStringQRV(HostString s, intptr_t encoding);
HostString CloneStringQRV(HostString s);

}  // namespace qrv
