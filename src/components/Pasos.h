#pragma once
// The suite's failure convention for routines made of steps: a failing step goes to a handler
// that answers 4 (run the step again), 5 (go on with the next step) or anything else (leave).

#include <functional>
#include <initializer_list>
#include <span>

#include "components/Error.h"

namespace tamaris {

constexpr int kReintentar = 4;
constexpr int kIgnorar = 5;

using Paso = std::function<void()>;
using TrataFallo = std::function<int(const ErrorInfo&)>;

// Runs `pasos` in order. Returns true when every step ran (or was skipped by answer 5), false
// when the handler told it to leave.
bool EjecutaPasos(std::span<const Paso> pasos, const TrataFallo& trata);
inline bool EjecutaPasos(std::initializer_list<Paso> pasos, const TrataFallo& trata) {
    return EjecutaPasos(std::span<const Paso>(pasos.begin(), pasos.size()), trata);
}

// Runs one step under the same convention: true when it ran or was skipped, false to leave.
// A template so that hot loops pay nothing for it while no step fails.
template <class F, class T>
bool EjecutaPaso(F&& paso, T&& trata) {
    for (;;) {
        ErrorInfo info;
        try {
            paso();
            return true;
        } catch (const std::exception& e) {
            info = InfoDeExcepcion(e);
        }
        const int respuesta = trata(info);
        if (respuesta == kReintentar) continue;
        return respuesta == kIgnorar;
    }
}

// Runs a step that cannot be skipped: true only when it actually ran, so that an answer 5
// (go on) counts as leaving.
template <class F, class T>
bool EjecutaPasoObligatorio(F&& paso, T&& trata) {
    bool hecho = false;
    return EjecutaPaso(
               [&] {
                   paso();
                   hecho = true;
               },
               trata) &&
           hecho;
}

// Handler of best-effort routines: every failure skips its step silently.
inline int IgnoraFallos(const ErrorInfo&) { return kIgnorar; }

}  // namespace tamaris
