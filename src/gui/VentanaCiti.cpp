#include "gui/VentanaCiti.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

#include "components/Campos.h"
#include "components/Texto.h"
#include "gui/BarraKitobar.h"
#include "gui/DialogoHallazgos.h"
#include "gui/EventosFormulario.h"
#include "gui/Trabajo.h"
#include "gui/UiQt.h"
#include "gui/VentanaForm1.h"

namespace tamaris::gui {

namespace {

// A status-bar panel: a label that shortens its text in the middle when the bar has no room
// for it all. A shortened text without a tool tip of its own shows the whole text as its tip.
// The elastic panel (the message) takes what the others leave and never widens the window.
class PanelEstado : public QLabel {
  public:
    PanelEstado(const QString& clave, bool elastico, QWidget* padre)
        : QLabel(padre), elastico_(elastico) {
        setObjectName(clave);
        setTextFormat(Qt::PlainText);
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setContentsMargins(3, 0, 3, 0);
    }
    void Pon(const QString& texto, const QString& ayuda) {
        ayuda_ = ayuda;
        if (texto != completo_) {
            completo_ = texto;
            updateGeometry();
        }
        Recorta();
    }
    QSize sizeHint() const override {
        const QMargins m = contentsMargins();
        const int marco = m.left() + m.right() + 2 * (frameWidth() + margin()) + 4;
        // The message asks for room for all of it (a summary is read whole); a data panel stays
        // within its share.
        const int texto = fontMetrics().horizontalAdvance(completo_) + marco;
        const int ancho =
            elastico_ ? std::max(kAnchoMensaje, texto) : std::min(texto, kAnchoMaximo);
        return {ancho, QLabel::sizeHint().height()};
    }
    QSize minimumSizeHint() const override {
        return {std::min(sizeHint().width(), kAnchoMinimo), QLabel::minimumSizeHint().height()};
    }

  protected:
    void resizeEvent(QResizeEvent* evento) override {
        QLabel::resizeEvent(evento);
        Recorta();
    }

  private:
    static constexpr int kAnchoMaximo = 260;
    static constexpr int kAnchoMinimo = 48;
    static constexpr int kAnchoMensaje = 340;
    void Recorta() {
        // A message reads from its start; a data panel keeps both ends (a path's file name).
        const QString visible =
            fontMetrics().elidedText(completo_, elastico_ ? Qt::ElideRight : Qt::ElideMiddle,
                                     std::max(0, contentsRect().width()));
        if (text() != visible) setText(visible);
        setToolTip(ayuda_.isEmpty() && visible != completo_ ? completo_ : ayuda_);
    }
    bool elastico_;
    QString completo_, ayuda_;
};

const char* const kEtiquetaAnio = "Año";

}  // namespace

VentanaCiti::VentanaCiti(FRMSiapCITI& form, QWidget* padre) : QMainWindow(padre), form_(form) {
    // Before a file replaces the older one, the operator sees what the check found; the closing
    // message carries the totals.
    form_.opciones.confirmaHallazgos = [this](const Hallazgos& h) {
        return ConfirmaHallazgos(this, h);
    };
    form_.opciones.totalesEnMensaje = true;
    form_.opciones.cuentaFilas = true;
    setObjectName("FRMSiapCITI");
    setWindowTitle(Qs(form_.Caption));

    barra_ = new BarraKitobar(form_.Kitobar1, this);
    addToolBar(Qt::TopToolBarArea, barra_);

    auto* central = new QWidget(this);
    auto* capa = new QVBoxLayout(central);
    setCentralWidget(central);

    // Boxes are as wide as their longest text, with room for the frame and the cursor.
    const auto ancho = [this](const char* muestra) {
        return fontMetrics().horizontalAdvance(QString::fromUtf8(muestra)) + 18;
    };
    const auto caja = [&](int i, QWidget* contenedor) {
        auto* c = new QLineEdit(contenedor);
        c->setObjectName(QString("txtfields_%1").arg(i));
        const CajaTexto& modelo = form_.txtfields[static_cast<size_t>(i)];
        if (modelo.MaxLength > 0) c->setMaxLength(modelo.MaxLength);
        c->installEventFilter(this);
        connect(c, &QLineEdit::textEdited, this, [this, i](const QString& t) {
            form_.txtfields[static_cast<size_t>(i)].Text = Ss(t);
        });
        cajas_[static_cast<size_t>(i)] = c;
        return c;
    };
    const auto etiqueta = [](const char* nombre, const char* texto, QWidget* contenedor,
                             QWidget* companero) {
        auto* l = new QLabel(QString::fromUtf8(texto), contenedor);
        l->setObjectName(nombre);
        l->setBuddy(companero);
        return l;
    };

    // The year and the month.
    auto* frame2 = new QGroupBox(central);
    frame2->setObjectName("Frame2");
    auto* rejilla2 = new QGridLayout(frame2);
    QLineEdit* anio = caja(FRMSiapCITI::kAnio, frame2);
    anio->setFixedWidth(ancho("00000"));
    meses_ = new QComboBox(frame2);
    meses_->setObjectName("cmbCuatrimestre");
    meses_->installEventFilter(this);
    meses_->setMinimumContentsLength(
        static_cast<int>(std::string_view("(Seleccione un Mes)").size()));
    meses_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    rejilla2->addWidget(etiqueta("Label1_2", kEtiquetaAnio, frame2, anio), 0, 0);
    rejilla2->addWidget(anio, 0, 1);
    rejilla2->setColumnMinimumWidth(2, 12);
    rejilla2->addWidget(etiqueta("Label2", "Mes:", frame2, meses_), 0, 3);
    rejilla2->addWidget(meses_, 0, 4);
    rejilla2->setColumnStretch(5, 1);
    connect(meses_, &QComboBox::activated, this, [this](int i) { EligeMes(i); });

    // The period the month gives.
    auto* parametros = new QGroupBox("Parámetros", central);
    parametros->setObjectName("FrmSIAPCITIVentas");
    auto* rejilla = new QGridLayout(parametros);
    QLineEdit* desde = caja(FRMSiapCITI::kFechaDesde, parametros);
    QLineEdit* hasta = caja(FRMSiapCITI::kFechaHasta, parametros);
    for (QLineEdit* f : {desde, hasta}) f->setFixedWidth(ancho("00/00/00000"));
    rejilla->addWidget(etiqueta("Label1_0", "Fecha Desde", parametros, desde), 0, 0);
    rejilla->addWidget(desde, 0, 1);
    rejilla->setColumnMinimumWidth(2, 12);
    rejilla->addWidget(etiqueta("Label1_1", "Fecha Hasta", parametros, hasta), 0, 3);
    rejilla->addWidget(hasta, 0, 4);
    rejilla->setColumnStretch(5, 1);

    capa->addWidget(frame2);
    capa->addWidget(parametros);
    capa->addStretch(1);
    setTabOrder(anio, meses_);
    setTabOrder(meses_, desde);
    setTabOrder(desde, hasta);

    // The status bar: the message takes what the data panels leave.
    statusBar()->setObjectName("sbStatusBar");
    statusBar()->setSizeGripEnabled(false);
    for (const auto& p : form_.sbStatusBar.Panels) {
        const bool mensaje = IgualSinCaso(p.Key, "MENSAJE");
        auto* panel = new PanelEstado(Qs(p.Key), mensaje, statusBar());
        statusBar()->addWidget(panel, mensaje ? 1 : 0);
        paneles_.push_back(panel);
    }

    // Every button goes through the form's own handler, with the widgets' state in the form
    // before and the form's state back in the widgets after.
    manejador_ = form_.Kitobar1.ButtonClick;
    form_.Kitobar1.ButtonClick = [this](const std::string& clave) { Boton(clave); };
    form_.alDescargar = [this] {
        if (!cerrando_) {
            cerrando_ = true;
            close();
        }
    };
    DesdeFormulario();
    // The year comes first: the month is worked out for the year typed.
    anio->setFocus();
}

QLabel* VentanaCiti::Panel(std::string_view clave) {
    for (QLabel* p : paneles_)
        if (IgualSinCaso(Ss(p->objectName()), clave)) return p;
    return nullptr;
}

void VentanaCiti::AFormulario() {
    for (size_t i = 0; i < cajas_.size(); ++i) form_.txtfields[i].Text = Ss(cajas_[i]->text());
    form_.cmbCuatrimestre.ListIndex = meses_->currentIndex();
}

void VentanaCiti::DesdeFormulario() {
    for (size_t i = 0; i < cajas_.size(); ++i) {
        const QString t = Qs(form_.txtfields[i].Text);
        if (cajas_[i]->text() != t) cajas_[i]->setText(t);
    }
    {
        const QSignalBlocker bloqueo(meses_);
        const auto& lista = form_.cmbCuatrimestre.List;
        bool igual = meses_->count() == static_cast<int>(lista.size());
        for (int i = 0; igual && i < meses_->count(); ++i)
            igual = meses_->itemText(i) == Qs(lista[static_cast<size_t>(i)]);
        if (!igual) {
            meses_->clear();
            for (const auto& m : lista) meses_->addItem(Qs(m));
        }
        if (meses_->currentIndex() != form_.cmbCuatrimestre.ListIndex)
            meses_->setCurrentIndex(form_.cmbCuatrimestre.ListIndex);
    }
    for (size_t i = 0; i < paneles_.size() && i < form_.sbStatusBar.Panels.size(); ++i) {
        const auto& p = form_.sbStatusBar.Panels[i];
        auto* panel = static_cast<PanelEstado*>(paneles_[i]);
        panel->Pon(Qs(p.Text), Qs(p.ToolTipText));
    }
    barra_->Actualiza();
}

void VentanaCiti::EligeMes(int indice) {
    AFormulario();
    form_.cmbCuatrimestre.ListIndex = indice;
    form_.cmbCuatrimestre_Click();
    DesdeFormulario();
}

void VentanaCiti::Boton(const std::string& clave) {
    // Mid-job the loop still delivers keys and clicks: only Cancelar means something then.
    if (trabajo::EnCurso()) {
        if (IgualSinCaso(clave, "CANCELAR")) trabajo::PideCancelar(this);
        return;
    }
    AFormulario();
    if (IgualSinCaso(clave, "GRABAR")) {
        trabajo::Ejecuta(*this, form_.Kitobar1, *barra_, [&] {
            if (manejador_) manejador_(clave);
        });
    } else if (manejador_) {
        manejador_(clave);
    }
    if (form_.Descargado) return;
    if (IgualSinCaso(clave, "GRABAR")) MuestraResultado();
    DesdeFormulario();
}

void VentanaCiti::Mensaje(const std::string& texto) {
    // The form's own status-bar routine writes the message when it has one; it leaves the
    // other panels as they are once they are filled.
    if (form_.actualizaBarraEstado) {
        form_.actualizaBarraEstado(form_.sbStatusBar, texto);
    } else if (auto* p = form_.sbStatusBar.Item("MENSAJE")) {
        p->Text = texto;
    }
}

void VentanaCiti::MuestraResultado() {
    const ResultadoCiti& r = form_.UltimoResultado();
    using Estado = ResultadoCiti::Estado;
    switch (r.estado) {
        case Estado::Completo:
            // The message box has told the whole path; the bar keeps the file's name.
            Mensaje("Archivo generado: " + Ss(QFileInfo(Qs(r.archivo)).fileName()) + " (" +
                    std::to_string(r.comprobantes) + " comprobantes" +
                    (r.omitidos ? ", " + std::to_string(r.omitidos) + " omitidos" : std::string()) +
                    ", " + std::to_string(r.registros) + " registros; total " +
                    TextoTotal(r.totales.total) + "; neto " + TextoTotal(r.totales.neto) + ")");
            break;
        case Estado::Descartado:
            Mensaje("Generación cancelada por la revisión; la carpeta quedó como estaba.");
            break;
        case Estado::Cancelado:
            Mensaje("Generación cancelada; la carpeta quedó como estaba.");
            break;
        case Estado::SinDatos:
            Mensaje("No hay comprobantes en el período.");
            break;
        case Estado::SinCarpeta:
            Mensaje("No se eligió carpeta: no se generó el archivo.");
            break;
        case Estado::Abandonado:
            Mensaje("No se generó el archivo; la carpeta quedó como estaba.");
            break;
        default:
            Mensaje("");
            break;
    }
}

bool VentanaCiti::TeclaFormulario(int codigo) { return TeclaDeFormulario(*this, form_, codigo); }

bool VentanaCiti::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == meses_) {
        // The list takes its own keys; the toolbar's function keys reach the form first.
        if (evento->type() == QEvent::KeyPress &&
            TeclaFormulario(CodigoTecla(static_cast<QKeyEvent*>(evento)->key())))
            return true;
        return QMainWindow::eventFilter(objeto, evento);
    }
    if (EventoDeCaja(*this, form_, cajas_, objeto, evento)) return true;
    return QMainWindow::eventFilter(objeto, evento);
}

void VentanaCiti::keyPressEvent(QKeyEvent* evento) {
    if (TeclaFormulario(CodigoTecla(evento->key()))) return;
    QMainWindow::keyPressEvent(evento);
}

void VentanaCiti::showEvent(QShowEvent* evento) {
    QMainWindow::showEvent(evento);
    if (mostrada_) return;
    mostrada_ = true;
    // Room for the status bar's panels as well, which the window's own size hint leaves out;
    // the bar knows its size once it is laid out, on the first showing.
    const int ancho = statusBar()->sizeHint().width();
    if (ancho > width()) resize(ancho, height());
}

void VentanaCiti::closeEvent(QCloseEvent* evento) {
    // The window stays while its job runs: closing it asks whether to stop the job.
    if (trabajo::EnCurso()) {
        evento->ignore();
        trabajo::PideCancelar(this);
        return;
    }
    if (!form_.Descargado) {
        cerrando_ = true;
        form_.Unload();
    }
    evento->accept();
}

}  // namespace tamaris::gui
