// Handing QRVUtil's records to the host, in the forms that older hosts read.
#pragma once

#include "abi/host_abi.h"

namespace qrv {

// Registers a class. Below host version 2006.04 a class's shared methods go to the host as
// global functions named "Class_declaration" instead, because such hosts do not read them.
void RegisterPluginClass(PluginClassRecord *record);
void RegisterPluginClassExtension(PluginClassRecord *record);

// The whole registration sequence of the bundle, after the interface version is announced.
void RegisterMembers();

}  // namespace qrv
