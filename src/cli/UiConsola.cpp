#include "cli/UiConsola.h"

#include <algorithm>

#include "cli/PoliticaConsola.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"

namespace tamaris {

namespace {

constexpr auto kIntervalo = std::chrono::milliseconds(200);
// Avance and Mensaje run once per row; the clock is read only every this many calls.
constexpr unsigned long kLoteReloj = 1024;

}  // namespace

UiConsola::UiConsola(std::ostream& salida, std::ostream& errores, bool mostrarProgreso)
    : mensajes_(salida, errores), progreso_(errores, mostrarProgreso), errores_(errores) {}

Ui UiConsola::ui() {
    return Ui{mensajes_, entrada_, progreso_, errores_, fechas_, archivo_, carpetas_};
}

int UiConsola::Mensajes::Mostrar(std::string_view original, int botones, std::string_view titulo) {
    const int icono = botones & 0x70;
    const int juego = mb::Botones(botones);
    const bool aviso = icono == mb::kCritico || icono == mb::kExclamacion || juego != mb::kOk;
    // Whatever its source, no password in use reaches the terminal in a warning (an outcome
    // message carries none, and its figures must stay as they are).
    const std::string oculto = aviso ? OcultaClaves(original) : std::string(original);
    const std::string_view texto = oculto;
    std::ostream& o = aviso ? errores_ : salida_;
    if (!titulo.empty()) o << Trim(titulo) << ": ";
    // Messages break lines with a bare CR, as the suite writes them; a terminal needs LF.
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\r') {
            o << '\n';
            if (i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
        } else {
            o << texto[i];
        }
    }
    o << '\n';
    o.flush();
    return RespuestaQueDetiene(juego);
}

int UiConsola::Errores::Reportar(const ErrorInfo& error, std::string_view rutina) {
    errores_ << "Error " << error.Numero << ": " << OcultaClaves(error.Descripcion);
    if (!rutina.empty()) errores_ << " (" << rutina << ")";
    errores_ << '\n';
    errores_.flush();
    return 3;
}

void UiConsola::Progreso::Abrir(std::string_view titulo) {
    abierta_ = true;
    if (!mostrar_) return;
    titulo_.assign(titulo);
    linea1_.clear();
    linea2_.clear();
    linea3_.clear();
    hechos_ = -1;
    llamadas_ = 0;
    // Nothing is painted yet, so the first message of the job shows at once.
    ultimo_ = {};
}

bool UiConsola::Progreso::Toca() {
    // The first calls of a job are its phase messages and read the clock every time; after
    // that the per-row calls read it once a batch.
    ++llamadas_;
    if (llamadas_ > 16 && llamadas_ % kLoteReloj != 0) return false;
    return std::chrono::steady_clock::now() - ultimo_ >= kIntervalo;
}

void UiConsola::Progreso::Mensaje(std::string_view linea1, std::string_view linea2,
                                  std::string_view linea3) {
    if (!mostrar_ || !abierta_ || !Toca()) return;
    linea1_.assign(linea1);
    linea2_.assign(linea2);
    linea3_.assign(linea3);
    Pinta();
}

void UiConsola::Progreso::Avance(long hechos) {
    if (!mostrar_ || !abierta_) return;
    hechos_ = hechos;
    if (!Toca()) return;
    Pinta();
}

void UiConsola::Progreso::Cerrar() {
    if (mostrar_ && abierta_ && anchoPrevio_ > 0) {
        errores_ << '\r' << std::string(anchoPrevio_, ' ') << '\r';
        errores_.flush();
        anchoPrevio_ = 0;
    }
    abierta_ = false;
    total_ = -1;
}

void UiConsola::Progreso::Pinta() {
    renglon_.assign(titulo_);
    for (const std::string* l : {&linea1_, &linea2_, &linea3_}) {
        if (l->empty()) continue;
        renglon_.append(renglon_.empty() ? "" : " - ");
        renglon_.append(*l);
    }
    if (hechos_ >= 0) {
        renglon_.append(" (");
        renglon_.append(std::to_string(hechos_));
        if (total_ > 0) {
            renglon_.append(" de ");
            renglon_.append(std::to_string(total_));
            renglon_.append(", ");
            renglon_.append(std::to_string(std::min(100LL, hechos_ * 100LL / total_)));
            renglon_.append(" %");
        }
        renglon_.append(")");
    }
    errores_ << '\r' << renglon_;
    // Blank out what is left of a longer previous line.
    if (renglon_.size() < anchoPrevio_)
        errores_ << std::string(anchoPrevio_ - renglon_.size(), ' ');
    errores_.flush();
    anchoPrevio_ = renglon_.size();
    ultimo_ = std::chrono::steady_clock::now();
    ++repintados_;
}

}  // namespace tamaris
