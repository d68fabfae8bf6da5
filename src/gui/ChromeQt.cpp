#include "gui/ChromeQt.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "components/Error.h"
#include "components/Texto.h"
#include "gui/BarraKitobar.h"
#include "gui/UiQt.h"

namespace tamaris::gui {

namespace {

// What the suite's controls raise for a name that is not on the form.
constexpr long kControlInexistente = 730;

QPixmap DibujaIcono(int lado) {
    QPixmap p(lado, lado);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const qreal l = lado;
    const QRectF caja(0.5, 0.5, l - 1, l - 1);
    QLinearGradient fondo(caja.topLeft(), caja.bottomRight());
    fondo.setColorAt(0, QColor(0x2f, 0x6d, 0xb5));
    fondo.setColorAt(1, QColor(0x17, 0x3f, 0x73));
    QPainterPath borde;
    borde.addRoundedRect(caja, l * 0.18, l * 0.18);
    g.fillPath(borde, fondo);

    // The corner stamp, clipped to the tile.
    g.setClipPath(borde);
    QPainterPath esquina;
    esquina.moveTo(l, l * 0.58);
    esquina.lineTo(l, l);
    esquina.lineTo(l * 0.58, l);
    esquina.closeSubpath();
    g.fillPath(esquina, QColor(0x3c, 0xb3, 0x71));
    g.setClipping(false);

    // The "T": a bar and a stem, kept on whole pixels so that it stays sharp when small.
    const int grueso = std::max(2, lado / 6);
    const int margen = std::max(2, lado / 5);
    const int arriba = std::max(2, lado / 5);
    g.setRenderHint(QPainter::Antialiasing, false);
    g.fillRect(QRect(margen, arriba, lado - 2 * margen, grueso), Qt::white);
    g.fillRect(QRect((lado - grueso) / 2, arriba, grueso, lado - arriba - margen), Qt::white);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(0x0f, 0x2a, 0x4d), 1));
    g.setBrush(Qt::NoBrush);
    g.drawPath(borde);
    return p;
}

}  // namespace

QIcon IconoTamaris() {
    static const QIcon icono = [] {
        QIcon i;
        for (int lado : {16, 24, 32, 48, 64, 128}) i.addPixmap(DibujaIcono(lado));
        return i;
    }();
    return icono;
}

std::string FormularioQt::NombreTipo() const {
    return ventana_ ? Ss(ventana_->objectName()) : std::string();
}

void FormularioQt::IconoDeRecurso(std::string_view nombre) {
    if (!ventana_) return;
    if (!IgualSinCaso(nombre, kIconoRecurso)) {
        throw ErrorTamaris(err::kArchivoNoEncontrado, "No existe el recurso " + std::string(nombre));
    }
    ventana_->setWindowIcon(IconoTamaris());
}

void FormularioQt::IconoDeArchivo(const std::string& archivo) {
    if (!ventana_) return;
    const QIcon icono(Qs(archivo));
    if (icono.isNull() || icono.availableSizes().isEmpty()) {
        throw ErrorTamaris(err::kArchivoNoEncontrado, "No se puede leer el icono " + archivo);
    }
    ventana_->setWindowIcon(icono);
}

bool FormularioQt::TieneIcono() const {
    // windowIcon() falls back on the application's; only an icon of the window's own counts.
    return ventana_ && ventana_->testAttribute(Qt::WA_SetWindowIcon) &&
           !ventana_->windowIcon().isNull();
}

void FormularioQt::EstiloBarra(std::string_view control, double estilo) {
    for (auto& [nombre, modelo] : barras_) {
        if (!modelo || !IgualSinCaso(nombre, control)) continue;
        modelo->StyleBar = estilo;
        if (ventana_) {
            if (auto* barra = ventana_->findChild<BarraKitobar*>(Qs(nombre))) barra->Actualiza();
        }
        return;
    }
    throw ErrorTamaris(kControlInexistente, "No existe el control " + std::string(control));
}

void FormularioQt::ProcesaEventos() { QApplication::processEvents(); }

void PreparaVentana(const Sistema& sis, QWidget& ventana, FormularioQt::Barras barras) {
    FormularioQt f(ventana, std::move(barras));
    PreparaFormulario(sis, f);
}

}  // namespace tamaris::gui
