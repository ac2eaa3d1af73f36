// Component entry and registration of the 64-bit deliverable, OrrinthAU.
#include "spectrum_au/FftAnalyserAU.h"
#include "spectrum_au/frame/ComponentEntry.h"

namespace {
const ComponentDescription kOrrinthAUDescription = {kAudioUnitType_Effect, FourCC("Orrn"), FourCC("Xact"), 0, 0};
}

AUDIOCOMPONENT_ENTRY_WITH(OrrinthAUEntry, OrrinthAU, kOrrinthAUDescription, "Xact: OrrinthAU")
