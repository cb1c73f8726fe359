// QRVUtil's records as the host receives them. They live at one place for the life of the
// bundle: the host keeps pointers into them and writes each class's data offset into its record.
#pragma once

#include <span>

#include "abi/host_abi.h"

namespace qrv {

extern PluginClassRecord gStdoutClass;
extern PluginClassRecord gStdinClass;
extern PluginClassRecord gStyleDataClass;
extern PluginClassRecord gStyleDataListClass;
extern PluginClassRecord gTimeZoneClass;
extern PluginClassRecord gFolderItemExtension;
extern PluginClassRecord gObjectExtension;
extern PluginClassRecord gStringMemoryBlockClass;

// The 42 global functions, in registration order.
std::span<PluginMethodRecord> GlobalFunctions();

// Puts every class record back as built, so a second entry finds no record already converted
// for an older host.
void ResetClassRecords();

}  // namespace qrv
