// The plug-in's exported functions and its one component. The component
// lives until the library is unloaded; it is constructed (with its own log)
// and initialised when the update manager first calls into the library, not
// by the library's static initialisers: the platform layer it reaches while
// it is built has static objects of its own, and the loader does not order
// one library's initialisers across its parts. Nothing is thrown across the
// exports.
#include <cstdint>

#include "plugin/component/component.h"

namespace {

struct LoadedComponent {
  // The attach step follows the construction; its result is not the
  // loader's concern.
  LoadedComponent() {
    try {
      component.Initialize();
    } catch (...) {
    }
  }
  brightwell::CComponent component;
};

brightwell::CComponent& theComponent() {
  static LoadedComponent loaded;  // destroyed when the library is unloaded
  return loaded.component;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t GetInterfaceVersion(int32_t* version) {
  try {
    theComponent();
  } catch (...) {
  }
  if (version) *version = brightwell::kInterfaceVersion;
  return 1;
}

__attribute__((visibility("default"))) int32_t GetProperty(int32_t id, void* out, uint32_t size, intptr_t extra) {
  try {
    return theComponent().GetProperty(id, out, size, extra);
  } catch (...) {
    return 0;
  }
}

__attribute__((visibility("default"))) int32_t Install(int32_t silent, void* reserved, char16_t* message,
                                                       int32_t reserved2, const char16_t* language) {
  try {
    return theComponent().Install(silent, reserved, message, reserved2, language);
  } catch (...) {
    return brightwell::InstallFailed;
  }
}

}  // extern "C"
