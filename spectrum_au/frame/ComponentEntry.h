#pragma once
// The component entry of an audio unit: open makes the unit and stores it as the instance
// storage; every other call goes to the frame's dispatcher. Exceptions never leave the entry:
// a thrown status is returned as it is, anything else as a failure status.
#include <cstring>
#include <new>

#include "spectrum_au/frame/AUBase.h"
#include "spectrum_au/frame/ComponentCalls.h"

template <class Unit>
ComponentResult AUComponentEntry(ComponentParameters* params, void* storage, const ComponentDescription& description,
                                 const char* name) {
  if (!params) return kAudio_ParamError;
  try {
    if (params->what == kComponentOpenSelect) {
      if (params->paramSize < sizeof(long)) return kAudio_ParamError;
      ComponentInstance self = ComponentParam<ComponentInstance>(params, 0, 1);
      if (!self) return badComponentInstance;
      self->description = description;
      std::strncpy(self->name, name, sizeof self->name - 1);
      self->name[sizeof self->name - 1] = '\0';
      auto* unit = new Unit(self);
      try {
        unit->PostConstructor();
      } catch (...) {
        delete unit;
        throw;
      }
      self->storage = static_cast<AUBase*>(unit);
      return noErr;
    }
    return AUBase::ComponentEntryDispatch(params, static_cast<AUBase*>(storage));
  } catch (OSStatus status) {
    return status;
  } catch (const std::bad_alloc&) {
    return kAudio_MemFullError;
  } catch (...) {
    return -1;
  }
}

// Defines the exported C entry of a unit class: ComponentResult <Name>Entry(params, storage).
#define AUDIOCOMPONENT_ENTRY_WITH(EntryName, UnitClass, Description, NameText)                              \
  extern "C" __attribute__((visibility("default"))) ComponentResult EntryName(ComponentParameters* params, \
                                                                             void* storage) {              \
    return AUComponentEntry<UnitClass>(params, storage, Description, NameText);                            \
  }
