#include "components/Pasos.h"

namespace tamaris {

ErrorInfo InfoDeExcepcion(const std::exception& e) {
    if (auto* t = dynamic_cast<const ErrorTamaris*>(&e)) return t->Info();
    if (dynamic_cast<const std::bad_alloc*>(&e)) return {7, "Memoria insuficiente", "percepciones"};
    return {err::kFalloGenerico, e.what(), "percepciones"};
}

bool EjecutaPasos(std::span<const Paso> pasos, const TrataFallo& trata) {
    for (const Paso& paso : pasos) {
        if (!EjecutaPaso(paso, trata)) return false;
    }
    return true;
}

}  // namespace tamaris
