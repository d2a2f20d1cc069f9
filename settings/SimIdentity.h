#pragma once

// The identity of the SIM card in the phone: the subscriber number of the cellular line, as
// the phone's telephony reports it. The anti-theft option stores it, and the filter service
// compares its own reading with it.

#include "platform/cstring.h"

// The identity read by the last successful ReadSimIdentity; empty before the first.
extern CString s_simIdentity;

// Reads the identity of the current SIM into s_simIdentity; false, with s_simIdentity as it
// was, when the phone has no line named exactly "Cellular Line" or any step fails.
bool ReadSimIdentity();
