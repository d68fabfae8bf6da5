#include "data/PoliticaErrores.h"

#include "components/ArchivoTexto.h"
#include "data/DB_Dll.h"

namespace tamaris {

void AnotaEnLog(const std::string& log, const AvisoDeError& aviso, int respuesta) {
    if (log.empty()) return;
    try {
        AnexaLinea(log, LineaLogErrores(aviso.rutina, aviso.mensaje, respuesta));
    } catch (const std::exception&) {
        // A log that cannot be written does not change the answer.
    }
}

int PreguntaAlOperador::Tratar(const AvisoDeError& aviso, const std::string& log) {
    const int respuesta = mensajes_.Mostrar(aviso.mensaje, aviso.botones, aviso.titulo);
    AnotaEnLog(log, aviso, respuesta);
    return respuesta;
}

}  // namespace tamaris
