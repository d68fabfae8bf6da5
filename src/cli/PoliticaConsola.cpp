#include "cli/PoliticaConsola.h"

#include "data/DB_Dll.h"

namespace tamaris {

int RespuestaQueDetiene(int botones) {
    switch (mb::Botones(botones)) {
        case mb::kOkCancelar:
            return mb::kCancelar;
        case mb::kAbortarReintentarIgnorar:
            return mb::kAbortar;
        case mb::kSiNoCancelar:
            return mb::kCancelar;
        case mb::kSiNo:
            return mb::kNo;
        case mb::kReintentarCancelar:
            return mb::kCancelar;
        default:
            return mb::kAceptar;
    }
}

int InformaYDetiene::Tratar(const AvisoDeError& aviso, const std::string& log) {
    // The port's own answer does not count: whatever it says, the command line stops here.
    mensajes_.Mostrar(aviso.mensaje, aviso.botones, aviso.titulo);
    const int respuesta = RespuestaQueDetiene(aviso.botones);
    AnotaEnLog(log, aviso, respuesta);
    return respuesta;
}

void InstalaPoliticaConsola(DB_Dll& db) {
    db.SetPoliticaErrores(std::make_shared<InformaYDetiene>(db.ui().mensajes));
}

}  // namespace tamaris
