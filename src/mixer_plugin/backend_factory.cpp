#include "backend_factory.h"

#include "backend/virtual/virtual_mixer_backend.h"

#include <cstdlib>
#include <cstring>

namespace faderix {

std::unique_ptr<MixerBackend> createMixerBackend(std::string& warning) {
    return VirtualMixerBackend::fromEnvironment(warning);
}

} // namespace faderix
