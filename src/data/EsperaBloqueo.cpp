#include "data/EsperaBloqueo.h"

#include <atomic>

namespace tamaris {

namespace {
std::atomic<EsperaBloqueo*> gObservador{nullptr};
}

void FijaEsperaBloqueo(EsperaBloqueo* observador) { gObservador.store(observador); }

EsperaBloqueo* EsperaBloqueoActual() { return gObservador.load(); }

}  // namespace tamaris
