// Component entry and registration of the 32-bit deliverable, fftanalyser.
#include "spectrum_au/FftAnalyserAU.h"
#include "spectrum_au/frame/ComponentEntry.h"

namespace {
const ComponentDescription kXACfftAUDescription = {kAudioUnitType_Effect, FourCC("fftA"), FourCC("Xact"), 0, 0};
}

AUDIOCOMPONENT_ENTRY_WITH(XACfftAUEntry, XACfftAU, kXACfftAUDescription, "Xact: fftanalyser")
