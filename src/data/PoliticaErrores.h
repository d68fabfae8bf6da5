#pragma once
// What happens when a data-access call fails. The front end decides and installs its own: the
// desktop asks the operator (retry, ignore, abort), the command line reports the failure and
// stops, since nobody is there to answer. The data layer only builds the notice and acts on
// the answer.

#include <string>

#include "components/Ui.h"

namespace tamaris {

// What the error treatment shows: the message, the routine part, the title and the buttons.
struct AvisoDeError {
    std::string mensaje, rutina, titulo;
    int botones;
};

class PoliticaErrores {
  public:
    virtual ~PoliticaErrores() = default;
    // Tells of the failure as `aviso` says and answers as a message box would: 4 (retry) runs
    // the call again, 5 (ignore) goes on past it, anything else leaves the routine. With a
    // `log` path the failure's line is appended there; a log that cannot be written does not
    // change the answer.
    virtual int Tratar(const AvisoDeError& aviso, const std::string& log) = 0;
    // Whether someone answers the questions a notice asks; where nobody does, a notice is
    // built without one.
    virtual bool Pregunta() const { return true; }
};

// The desktop's treatment: the operator answers through the message port.
class PreguntaAlOperador final : public PoliticaErrores {
  public:
    explicit PreguntaAlOperador(CajaMensajes& mensajes) : mensajes_(mensajes) {}
    int Tratar(const AvisoDeError& aviso, const std::string& log) override;

  private:
    CajaMensajes& mensajes_;
};

// Appends the failure's line, with the answer given, to `log` (nothing when it is empty or
// cannot be written).
void AnotaEnLog(const std::string& log, const AvisoDeError& aviso, int respuesta);

}  // namespace tamaris
