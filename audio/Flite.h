#pragma once
// Flite's US voice "slt": loaded from the system's libraries when first
// needed, so that a system without them still plays sounds.
#include "app/AudioOutput.h"
#include <QString>

// Whether the voice could be loaded; loads it on the first call.
bool fliteLoaded();
// `sentence` read by the voice; no samples when the voice is missing or
// fails. Runs on one thread at a time.
Sound synthesise(const QString &sentence);
