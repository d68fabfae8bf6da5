#include "gui/UiQt.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "components/Texto.h"
#include "components/Variant.h"

namespace tamaris::gui {

QString FiltroQt(std::string_view filtro) {
    const QStringList partes = Qs(filtro).split('|');
    QStringList salida;
    for (qsizetype i = 0; i + 1 < partes.size(); i += 2) {
        QString patrones = partes[i + 1].trimmed();
        patrones.replace(';', ' ');
        salida << partes[i].trimmed() + " (" + patrones + ")";
    }
    return salida.join(";;");
}

namespace {

QMessageBox::Icon Icono(int codigo) {
    switch (codigo & 0x70) {
        case mb::kCritico: return QMessageBox::Critical;
        case mb::kPregunta: return QMessageBox::Question;
        case mb::kExclamacion: return QMessageBox::Warning;
        case mb::kInformacion: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

struct BotonMb {
    QMessageBox::StandardButton qt;
    int respuesta;
};

std::vector<BotonMb> BotonesDe(int codigo) {
    using B = QMessageBox;
    switch (mb::Botones(codigo)) {
        case mb::kOkCancelar: return {{B::Ok, mb::kAceptar}, {B::Cancel, mb::kCancelar}};
        case mb::kAbortarReintentarIgnorar:
            return {{B::Abort, mb::kAbortar}, {B::Retry, mb::kReintentar}, {B::Ignore, mb::kIgnorar}};
        case mb::kSiNoCancelar:
            return {{B::Yes, mb::kSi}, {B::No, mb::kNo}, {B::Cancel, mb::kCancelar}};
        case mb::kSiNo: return {{B::Yes, mb::kSi}, {B::No, mb::kNo}};
        case mb::kReintentarCancelar: return {{B::Retry, mb::kReintentar}, {B::Cancel, mb::kCancelar}};
        default: return {{B::Ok, mb::kAceptar}};
    }
}

// Message texts use CR as the line break, as the suite writes them.
QString TextoMensaje(std::string_view texto) {
    QString t = Qs(texto);
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

int MuestraCaja(QWidget* padre, std::string_view texto, int codigo, std::string_view titulo) {
    QMessageBox caja(Icono(codigo), Qs(titulo), TextoMensaje(texto), QMessageBox::NoButton, padre);
    const auto botones = BotonesDe(codigo);
    QMessageBox::StandardButtons todos;
    for (const auto& b : botones) todos |= b.qt;
    caja.setStandardButtons(todos);
    // Where there is a way out, Escape takes it; the suite's defaults are the first button.
    caja.setDefaultButton(botones.front().qt);
    const auto elegido = static_cast<QMessageBox::StandardButton>(caja.exec());
    for (const auto& b : botones)
        if (b.qt == elegido) return b.respuesta;
    // Closed without a button: the "no" side of the choice.
    switch (mb::Botones(codigo)) {
        case mb::kAbortarReintentarIgnorar: return mb::kAbortar;
        case mb::kSiNo: return mb::kNo;
        case mb::kOk: return mb::kAceptar;
        default: return mb::kCancelar;
    }
}

}  // namespace

int CajaMensajesQt::Mostrar(std::string_view texto, int botones, std::string_view titulo) {
    return MuestraCaja(padre_, texto, botones, titulo);
}

std::optional<std::string> CajaEntradaQt::Pedir(std::string_view mensaje, std::string_view titulo,
                                                std::string_view defecto) {
    bool aceptado = false;
    const QString t = QInputDialog::getText(padre_, Qs(titulo), TextoMensaje(mensaje),
                                            QLineEdit::Normal, Qs(defecto), &aceptado);
    if (!aceptado) return std::nullopt;
    return Ss(t);
}

VentanaProgresoQt::VentanaProgresoQt(const QPointer<QWidget>& padre) : padre_(padre) {}
VentanaProgresoQt::~VentanaProgresoQt() {
    if (dialogo_ && !dialogo_->parent()) delete dialogo_.data();
}

void VentanaProgresoQt::Abrir(std::string_view titulo) {
    if (!dialogo_) {
        dialogo_ = new QDialog(padre_);
        dialogo_->setObjectName("VentanaProgreso");
        dialogo_->setModal(true);
        dialogo_->setMinimumWidth(320);
        auto* capa = new QVBoxLayout(dialogo_);
        for (auto*& l : lineas_) {
            l = new QLabel(dialogo_);
            l->setAlignment(Qt::AlignCenter);
            capa->addWidget(l);
        }
        contador_ = new QLabel(dialogo_);
        contador_->setObjectName("Contador");
        contador_->setAlignment(Qt::AlignCenter);
        capa->addWidget(contador_);
    }
    dialogo_->setWindowTitle(Qs(titulo));
    for (auto* l : lineas_) l->clear();
    contador_->clear();
    hechos_ = 0;
    llamadas_ = 0;
    dialogo_->show();
    reloj_.start();
    QApplication::processEvents();
}

bool VentanaProgresoQt::TocaRepintar() {
    // The clock is read only every 64 calls: per-row calls cost next to nothing.
    if ((++llamadas_ & 63u) != 0 && llamadas_ > 64) return false;
    if (reloj_.isValid() && reloj_.elapsed() < 100) return false;
    reloj_.restart();
    return true;
}

void VentanaProgresoQt::Mensaje(std::string_view linea1, std::string_view linea2,
                                std::string_view linea3) {
    if (!dialogo_) return;
    const bool forzar = llamadas_ < 64;
    if (!forzar && !TocaRepintar()) return;
    lineas_[0]->setText(Qs(linea1));
    lineas_[1]->setText(Qs(linea2));
    lineas_[2]->setText(Qs(linea3));
    QApplication::processEvents();
}

void VentanaProgresoQt::Avance(long hechos) {
    hechos_ = hechos;
    if (!dialogo_ || !TocaRepintar()) return;
    contador_->setText(QString("Comprobantes: %1").arg(hechos));
    QApplication::processEvents();
}

void VentanaProgresoQt::Cerrar() {
    if (dialogo_) dialogo_->hide();
    QApplication::processEvents();
}

int ReporteErrorQt::Reportar(const ErrorInfo& error, std::string_view rutina) {
    std::string texto = "Error " + std::to_string(error.Numero) + ": " + error.Descripcion;
    std::string titulo = error.Origen;
    if (!rutina.empty()) titulo += " - " + std::string(rutina);
    return MuestraCaja(padre_, texto, mb::kAbortarReintentarIgnorar | mb::kCritico, titulo);
}

std::string SelectorFechaQt::Elegir(std::string_view inicial) {
    QDialog d(padre_);
    d.setObjectName("SelectorFecha");
    d.setWindowTitle("Fecha");
    auto* capa = new QVBoxLayout(&d);
    auto* calendario = new QCalendarWidget(&d);
    calendario->setObjectName("Calendario");
    calendario->setFirstDayOfWeek(Qt::Monday);
    Fecha f;
    if (Fecha::DesdeDma(Trim(inicial), f)) calendario->setSelectedDate(QDate(f.anio, f.mes, f.dia));
    capa->addWidget(calendario);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    capa->addWidget(botones);
    QObject::connect(botones, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(botones, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    QObject::connect(calendario, &QCalendarWidget::activated, &d, &QDialog::accept);
    if (d.exec() != QDialog::Accepted) return {};
    return Ss(calendario->selectedDate().toString("dd/MM/yyyy"));
}

void DialogoArchivoQt::ShowOpen() {
    QFileDialog d(padre_, Qs(DialogTitle), Qs(InitDir), FiltroQt(Filter));
    d.setObjectName("DialogoArchivo");
    // The destination of an export need not exist yet.
    d.setFileMode(QFileDialog::AnyFile);
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!FileName.empty()) d.selectFile(Qs(FileName));
    Cancelado = d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty();
    if (!Cancelado) FileName = Ss(d.selectedFiles().front());
}

std::optional<std::string> BuscadorCarpetasQt::Elegir(std::string_view titulo) {
    const QString c = QFileDialog::getExistingDirectory(padre_, Qs(titulo));
    if (c.isEmpty()) return std::nullopt;
    return Ss(c);
}

UiQt::UiQt(QWidget* padre)
    : padre_(padre),
      mensajes_(padre_),
      entrada_(padre_),
      progreso_(padre_),
      errores_(padre_),
      fechas_(padre_),
      archivo_(padre_),
      carpetas_(padre_),
      ui_{mensajes_, entrada_, progreso_, errores_, fechas_, archivo_, carpetas_} {}

}  // namespace tamaris::gui
