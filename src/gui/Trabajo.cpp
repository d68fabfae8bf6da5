#include "gui/Trabajo.h"

#include <QMessageBox>
#include <array>
#include <atomic>

#include "gui/BarraKitobar.h"

namespace tamaris::gui::trabajo {

namespace {

bool gEnCurso = false;
// Read also by a statement waiting for a lock on a thread of its own.
std::atomic<bool> gCancelado{false};
bool gPreguntando = false;

}  // namespace

bool EnCurso() { return gEnCurso; }

bool Cancelado() { return gCancelado; }

void OlvidaCancelacion() {
    if (!gEnCurso) gCancelado = false;
}

bool Ejecuta(QMainWindow& ventana, Kitobar& modelo, BarraKitobar& barra,
             const std::function<void()>& job) {
    if (gEnCurso) return false;
    gEnCurso = true;
    gCancelado = false;
    std::array<bool, Kitobar::kBotones> antes{};
    for (int i = 0; i < Kitobar::kBotones; ++i) {
        const auto b = static_cast<Kitobar::Boton>(i);
        antes[static_cast<size_t>(i)] = modelo.Habilitado(b);
        modelo.Habilitar(b, b == Kitobar::CANCELAR);
    }
    barra.Actualiza();
    QWidget* central = ventana.centralWidget();
    const bool habilitado = central && central->isEnabled();
    if (central) central->setEnabled(false);

    struct Restaura {
        std::function<void()> f;
        ~Restaura() { f(); }
    } restaura{[&] {
        for (int i = 0; i < Kitobar::kBotones; ++i)
            modelo.Habilitar(static_cast<Kitobar::Boton>(i), antes[static_cast<size_t>(i)]);
        barra.Actualiza();
        if (central) central->setEnabled(habilitado);
        gEnCurso = false;
        gCancelado = false;
    }};
    job();
    return true;
}

bool PideCancelar(QWidget* padre) {
    // A second request while the question is up (a key held down) is the same one. Outside a
    // job there is still the wait for a locked database to give up.
    if (gCancelado || gPreguntando) return gCancelado;
    gPreguntando = true;
    const auto r = QMessageBox::question(padre, "Cancelar", "¿Cancelar la generación?",
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    gPreguntando = false;
    if (r == QMessageBox::Yes) gCancelado = true;
    return gCancelado;
}

}  // namespace tamaris::gui::trabajo
