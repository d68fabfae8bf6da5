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
#include <QCloseEvent>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "components/Texto.h"
#include "components/Variant.h"
#include "gui/Trabajo.h"

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
        case mb::kCritico:
            return QMessageBox::Critical;
        case mb::kPregunta:
            return QMessageBox::Question;
        case mb::kExclamacion:
            return QMessageBox::Warning;
        case mb::kInformacion:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

struct BotonMb {
    QMessageBox::StandardButton qt;
    int respuesta;
};

std::vector<BotonMb> BotonesDe(int codigo) {
    using B = QMessageBox;
    switch (mb::Botones(codigo)) {
        case mb::kOkCancelar:
            return {{B::Ok, mb::kAceptar}, {B::Cancel, mb::kCancelar}};
        case mb::kAbortarReintentarIgnorar:
            return {
                {B::Abort, mb::kAbortar}, {B::Retry, mb::kReintentar}, {B::Ignore, mb::kIgnorar}};
        case mb::kSiNoCancelar:
            return {{B::Yes, mb::kSi}, {B::No, mb::kNo}, {B::Cancel, mb::kCancelar}};
        case mb::kSiNo:
            return {{B::Yes, mb::kSi}, {B::No, mb::kNo}};
        case mb::kReintentarCancelar:
            return {{B::Retry, mb::kReintentar}, {B::Cancel, mb::kCancelar}};
        default:
            return {{B::Ok, mb::kAceptar}};
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
        case mb::kAbortarReintentarIgnorar:
            return mb::kAbortar;
        case mb::kSiNo:
            return mb::kNo;
        case mb::kOk:
            return mb::kAceptar;
        default:
            return mb::kCancelar;
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

namespace {

// The progress window: Esc, its close button and its Cancelar ask whether to stop the job
// instead of hiding the window while the job goes on.
class DialogoProgreso : public QDialog {
  public:
    using QDialog::QDialog;

  protected:
    void reject() override { trabajo::PideCancelar(this); }
    void closeEvent(QCloseEvent* evento) override {
        evento->ignore();
        trabajo::PideCancelar(this);
    }
};

bool EnHiloDeVentanas() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// "1:05" for 65 s, "1:02:03" past the hour.
QString Duracion(qint64 ms) {
    const qint64 s = ms / 1000;
    if (s >= 3600)
        return QString("%1:%2:%3")
            .arg(s / 3600)
            .arg(s / 60 % 60, 2, 10, QChar('0'))
            .arg(s % 60, 2, 10, QChar('0'));
    return QString("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
}

// The time spent is shown once a run lasts longer than this.
constexpr qint64 kMuestraTiempo = 2000;

}  // namespace

VentanaProgresoQt::VentanaProgresoQt(const QPointer<QWidget>& padre) : padre_(padre) {}
VentanaProgresoQt::~VentanaProgresoQt() {
    if (EsperaBloqueoActual() == this) FijaEsperaBloqueo(nullptr);
    if (dialogo_ && !dialogo_->parent()) delete dialogo_.data();
}

void VentanaProgresoQt::Crea() {
    if (dialogo_) return;
    dialogo_ = new DialogoProgreso(padre_);
    dialogo_->setObjectName("VentanaProgreso");
    dialogo_->setModal(false);
    dialogo_->setMinimumWidth(360);
    auto* capa = new QVBoxLayout(dialogo_);
    for (auto*& l : lineas_) {
        l = new QLabel(dialogo_);
        l->setAlignment(Qt::AlignCenter);
        capa->addWidget(l);
    }
    espera_ = new QLabel(dialogo_);
    espera_->setObjectName("Espera");
    espera_->setAlignment(Qt::AlignCenter);
    espera_->setWordWrap(true);
    espera_->hide();
    capa->addWidget(espera_);
    barra_ = new QProgressBar(dialogo_);
    barra_->setObjectName("Barra");
    barra_->setFormat("%p %");
    barra_->hide();
    capa->addWidget(barra_);
    contador_ = new QLabel(dialogo_);
    contador_->setObjectName("Contador");
    contador_->setAlignment(Qt::AlignCenter);
    capa->addWidget(contador_);
    tiempo_ = new QLabel(dialogo_);
    tiempo_->setObjectName("Tiempo");
    tiempo_->setAlignment(Qt::AlignCenter);
    capa->addWidget(tiempo_);
    auto* botones = new QDialogButtonBox(dialogo_);
    QPushButton* cancelar = botones->addButton("Cancelar", QDialogButtonBox::RejectRole);
    cancelar->setObjectName("Cancelar");
    cancelar->setAutoDefault(false);
    QObject::connect(botones, &QDialogButtonBox::rejected, dialogo_.data(),
                     [d = dialogo_.data()] { trabajo::PideCancelar(d); });
    capa->addWidget(botones);
}

void VentanaProgresoQt::Abrir(std::string_view titulo) {
    Crea();
    dialogo_->setWindowTitle(Qs(titulo));
    for (auto* l : lineas_) l->clear();
    contador_->clear();
    tiempo_->clear();
    espera_->hide();
    barra_->hide();
    // A job that counted its rows told the total before the window opened: it stays.
    if (total_ > 0) {
        barra_->setRange(0, 1000);
        barra_->setValue(0);
        barra_->show();
    }
    hechos_ = 0;
    llamadas_ = 0;
    abierta_ = true;
    abiertaPorEspera_ = false;
    duracion_.start();
    dialogo_->show();
    dialogo_->raise();
    dialogo_->activateWindow();
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
    if (!dialogo_ || !abierta_) return;
    const bool forzar = llamadas_ < 64;
    if (!forzar && !TocaRepintar()) return;
    lineas_[0]->setText(Qs(linea1));
    lineas_[1]->setText(Qs(linea2));
    lineas_[2]->setText(Qs(linea3));
    QApplication::processEvents();
}

void VentanaProgresoQt::PintaAvance() {
    const QLocale l;
    if (total_ > 0) {
        contador_->setText(QString("Comprobantes procesados: %1 de %2")
                               .arg(l.toString(static_cast<qlonglong>(hechos_)),
                                    l.toString(static_cast<qlonglong>(total_))));
        if (!barra_->isVisible()) {
            barra_->setRange(0, 1000);
            barra_->show();
        }
        barra_->setValue(static_cast<int>(std::min<long long>(1000, hechos_ * 1000LL / total_)));
    } else {
        contador_->setText(QString("Comprobantes procesados: %1")
                               .arg(l.toString(static_cast<qlonglong>(hechos_))));
    }
    if (duracion_.isValid() && duracion_.elapsed() >= kMuestraTiempo)
        tiempo_->setText("Tiempo transcurrido: " + Duracion(duracion_.elapsed()));
}

void VentanaProgresoQt::Avance(long hechos) {
    hechos_ = hechos;
    if (!dialogo_ || !abierta_ || !TocaRepintar()) return;
    PintaAvance();
    QApplication::processEvents();
}

void VentanaProgresoQt::Total(long total) {
    total_ = total;
    if (dialogo_ && abierta_) PintaAvance();
}

bool VentanaProgresoQt::Cancelado() { return trabajo::Cancelado(); }

QString VentanaProgresoQt::TextoAvance() const {
    if (!dialogo_) return {};
    QString t = contador_->text();
    if (barra_->isVisible()) t += " (" + barra_->text() + ")";
    if (!tiempo_->text().isEmpty()) t += " " + tiempo_->text();
    return t;
}

void VentanaProgresoQt::Cerrar() {
    abierta_ = false;
    total_ = -1;
    if (dialogo_) dialogo_->hide();
    QApplication::processEvents();
}

void VentanaProgresoQt::Esperando(std::string_view base) {
    if (!EnHiloDeVentanas()) return;
    Crea();
    if (!dialogo_->isVisible()) {
        dialogo_->setWindowTitle("Base de datos ocupada");
        for (auto* l : lineas_) l->clear();
        contador_->clear();
        tiempo_->clear();
        barra_->hide();
        abiertaPorEspera_ = true;
        dialogo_->show();
        dialogo_->raise();
    }
    espera_->setText(QString("La base de datos %1 está ocupada por otro programa.\nEl programa "
                             "espera a que la libere; Cancelar deja de esperar.")
                         .arg(Qs(base)));
    espera_->show();
    esperaReloj_.start();
    QApplication::processEvents();
}

bool VentanaProgresoQt::SigueEsperando() {
    if (!EnHiloDeVentanas()) return !trabajo::Cancelado();
    if (dialogo_ && espera_->isVisible() && esperaReloj_.isValid())
        tiempo_->setText("Esperando desde hace " + Duracion(esperaReloj_.elapsed()));
    QApplication::processEvents();
    return !trabajo::Cancelado();
}

void VentanaProgresoQt::FinEspera() {
    if (!EnHiloDeVentanas() || !dialogo_) return;
    // A wait given up outside a job (at start-up) must not give up the next one at once.
    trabajo::OlvidaCancelacion();
    espera_->hide();
    tiempo_->clear();
    if (abiertaPorEspera_) {
        abiertaPorEspera_ = false;
        if (!abierta_) dialogo_->hide();
    }
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

void DialogoArchivoQt::ShowOpen() { Muestra(false); }

void DialogoArchivoQt::ShowSave() { Muestra(true); }

void DialogoArchivoQt::Muestra(bool guardar) {
    QFileDialog d(padre_, Qs(DialogTitle), Qs(InitDir), FiltroQt(Filter));
    d.setObjectName("DialogoArchivo");
    // The destination of an export need not exist yet.
    d.setFileMode(QFileDialog::AnyFile);
    d.setAcceptMode(guardar ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Qt's own dialog speaks the program's language (its catalog is loaded at start-up); the
    // desktop's may not. Replacing a file is the job's own question, after its check.
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    d.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (guardar) d.setLabelText(QFileDialog::Accept, "Guardar");
    if (!FileName.empty()) d.selectFile(Qs(FileName));
    Cancelado = d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty();
    if (!Cancelado) FileName = Ss(d.selectedFiles().front());
}

std::optional<std::string> BuscadorCarpetasQt::Elegir(std::string_view titulo) {
    const QString c = QFileDialog::getExistingDirectory(
        padre_, Qs(titulo), ultima_, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (c.isEmpty()) return std::nullopt;
    ultima_ = c;
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
