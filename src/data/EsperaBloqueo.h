#pragma once
// Who hears that a statement is waiting for another program's lock on the database. The wait
// can be long (up to the command time-out), so the operator is told at once, and may give up.

#include <string_view>

namespace tamaris {

class EsperaBloqueo {
  public:
    virtual ~EsperaBloqueo() = default;
    // Once, when a statement starts waiting; `base` names the database.
    virtual void Esperando(std::string_view base) = 0;
    // Again and again while it waits (about ten times a second): false gives up the wait.
    virtual bool SigueEsperando() = 0;
    // The statement got the lock, or gave up.
    virtual void FinEspera() = 0;
};

// The program's observer (none by default; the desktop sets its progress window). Called on
// the thread that runs the statement.
void FijaEsperaBloqueo(EsperaBloqueo* observador);
EsperaBloqueo* EsperaBloqueoActual();

}  // namespace tamaris
