#pragma once
// The command line's treatment of a failed data-access call: nobody is there to answer, so the
// failure is reported once (the same notice the desktop shows, on the console's message port,
// and its line in the error log) and the answer is the one that stops: abort, or the button
// that declines. Never retry: a call that failed is not run again on the command line.

#include <memory>

#include "data/PoliticaErrores.h"

namespace tamaris {

class DB_Dll;

class InformaYDetiene final : public PoliticaErrores {
  public:
    explicit InformaYDetiene(CajaMensajes& mensajes) : mensajes_(mensajes) {}
    int Tratar(const AvisoDeError& aviso, const std::string& log) override;
    bool Pregunta() const override { return false; }

  private:
    CajaMensajes& mensajes_;
};

// The answer that stops for a set of message-box buttons: abort, cancel or no; OK when it is
// the only one.
int RespuestaQueDetiene(int botones);

// Installs InformaYDetiene, on the object's own message port, as `db`'s error treatment.
void InstalaPoliticaConsola(DB_Dll& db);

}  // namespace tamaris
