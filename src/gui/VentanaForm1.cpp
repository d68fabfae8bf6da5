#include "gui/VentanaForm1.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <filesystem>

#include "components/Campos.h"
#include "components/Texto.h"
#include "gui/BarraKitobar.h"
#include "gui/DialogoHallazgos.h"
#include "gui/EventosFormulario.h"
#include "gui/Trabajo.h"
#include "gui/UiQt.h"

namespace tamaris::gui {

int CodigoTecla(int teclaQt) {
    if (teclaQt >= Qt::Key_F1 && teclaQt <= Qt::Key_F12) return tecla::kF1 + (teclaQt - Qt::Key_F1);
    switch (teclaQt) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return tecla::kEnter;
        case Qt::Key_Escape:
            return tecla::kEscape;
        case Qt::Key_Tab:
            return tecla::kTab;
        case Qt::Key_Delete:
            return tecla::kSuprimir;
        case Qt::Key_Backspace:
            return tecla::kRetroceso;
        default:
            return 0;
    }
}

namespace {

// The form's layout is given in twips (1/15 of a pixel at 96 dpi); a larger font scales it.
struct Escala {
    double f;
    int operator()(int twips) const { return static_cast<int>(twips / 15.0 * f + 0.5); }
    QRect r(int x, int y, int w, int h) const {
        return QRect((*this)(x), (*this)(y), (*this)(w), (*this)(h));
    }
};

}  // namespace

VentanaForm1::VentanaForm1(Form1& form, QWidget* padre) : QMainWindow(padre), form_(form) {
    // Before a file replaces the older one, the operator sees what the check found; the closing
    // message carries the totals.
    form_.opciones.confirmaHallazgos = [this](const Hallazgos& h) {
        return ConfirmaHallazgos(this, h);
    };
    form_.opciones.totalesEnMensaje = true;
    form_.opciones.cuentaFilas = true;
    setObjectName("Form1");
    setWindowTitle(Qs(form_.Caption));

    barra_ = new BarraKitobar(form_.Kitobar1, this);
    addToolBar(Qt::TopToolBarArea, barra_);

    // The twip layout was drawn for a smaller font: it grows so that the longest label fits
    // before its box, and so that the frames are as wide as the toolbar above them.
    const double porAlto = fontMetrics().height() / 13.0;
    const double porEtiqueta = (fontMetrics().horizontalAdvance("Fecha Desde") + 12) / 72.0;
    const double porBarra = barra_->sizeHint().width() / (5460 / 15.0);
    const Escala e{std::max({1.0, porAlto, porEtiqueta, porBarra})};
    // The frames stand below the toolbar, which the window itself places.
    constexpr int kBarra = 720;
    auto* central = new QWidget(this);
    central->setFixedSize(e(5460), e(3030 - kBarra));
    setCentralWidget(central);

    auto* frame1 = new QGroupBox("Filtros", central);
    frame1->setObjectName("Frame1");
    frame1->setGeometry(e.r(0, 720 - kBarra, 5415, 1455));
    auto* frame2 = new QGroupBox("Archivo", central);
    frame2->setObjectName("Frame2");
    frame2->setGeometry(e.r(0, 2160 - kBarra, 5415, 855));

    struct Etiqueta {
        const char* nombre;
        const char* texto;
        int x, y;
    };
    for (const Etiqueta& l :
         {Etiqueta{"Label1", "Fecha Desde", 120, 420}, Etiqueta{"Label2", "Hasta", 2880, 420},
          Etiqueta{"Label3", "Cuenta", 120, 885}}) {
        auto* etiqueta = new QLabel(QString::fromUtf8(l.texto), frame1);
        etiqueta->setObjectName(l.nombre);
        etiqueta->move(e(l.x), e(l.y) - 2);
    }
    const QRect geometrias[4] = {e.r(1200, 360, 1575, 285), e.r(3480, 380, 1575, 285),
                                 e.r(1200, 840, 1575, 285), e.r(120, 360, 4815, 285)};
    for (int i = 0; i < 4; ++i) {
        auto* caja = new QLineEdit(i == Form1::kArchivo ? frame2 : frame1);
        caja->setObjectName(QString("txtfields_%1").arg(i));
        caja->setGeometry(geometrias[i]);
        const CajaTexto& modelo = form_.txtfields[static_cast<size_t>(i)];
        if (modelo.MaxLength > 0) caja->setMaxLength(modelo.MaxLength);
        caja->installEventFilter(this);
        connect(caja, &QLineEdit::textEdited, this, [this, i](const QString& t) {
            form_.txtfields[static_cast<size_t>(i)].Text = Ss(t);
        });
        cajas_[static_cast<size_t>(i)] = caja;
    }
    command1_ = new QPushButton("...", frame2);
    command1_->setObjectName("Command1");
    command1_->setGeometry(e.r(5040, 360, 255, 255));
    connect(command1_, &QPushButton::clicked, this, [this] {
        AFormulario();
        form_.Command1_Click();
        DesdeFormulario();
    });

    // Every button goes through the form's own handler, with the widgets' texts in the form
    // before and the form's texts back in the widgets after.
    manejador_ = form_.Kitobar1.ButtonClick;
    form_.Kitobar1.ButtonClick = [this](const std::string& clave) { Boton(clave); };
    form_.alDescargar = [this] {
        if (!cerrando_) {
            cerrando_ = true;
            close();
        }
    };
    statusBar()->setObjectName("Estado");
    DesdeFormulario();
    cajas_[0]->setFocus();
}

void VentanaForm1::AFormulario() {
    for (size_t i = 0; i < cajas_.size(); ++i) form_.txtfields[i].Text = Ss(cajas_[i]->text());
}

void VentanaForm1::DesdeFormulario() {
    for (size_t i = 0; i < cajas_.size(); ++i) {
        const QString t = Qs(form_.txtfields[i].Text);
        if (cajas_[i]->text() != t) cajas_[i]->setText(t);
    }
    barra_->Actualiza();
}

void VentanaForm1::Boton(const std::string& clave) {
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
    DesdeFormulario();
    if (IgualSinCaso(clave, "GRABAR")) MuestraResultado();
}

void VentanaForm1::MuestraResultado() {
    const ResultadoExportacion& r = form_.UltimoResultado();
    const QString ruta = Qs(r.archivo);
    using Estado = ResultadoExportacion::Estado;
    switch (r.estado) {
        case Estado::Completo:
            statusBar()->showMessage(
                QString("Archivo generado: %1 (%2 comprobantes%3; neto gravado %4; percepción %5)")
                    .arg(ruta)
                    .arg(r.comprobantes)
                    .arg(r.omitidos ? QString(", %1 omitidos").arg(r.omitidos) : QString())
                    .arg(Qs(TextoTotal(r.totales.neto)))
                    .arg(Qs(TextoTotal(r.totales.percepcion))));
            break;
        case Estado::Descartado:
            statusBar()->showMessage(
                "Generación cancelada por la revisión; el archivo anterior "
                "quedó como estaba.");
            break;
        case Estado::Cancelado:
            statusBar()->showMessage(
                "Generación cancelada; el archivo anterior quedó como estaba.");
            break;
        case Estado::SinComprobantes:
            statusBar()->showMessage("No hay comprobantes con percepción para esos filtros.");
            break;
        case Estado::Abandonado:
            statusBar()->showMessage("No se generó el archivo; el anterior quedó como estaba.");
            break;
        default:
            statusBar()->clearMessage();
            break;
    }
}

bool VentanaForm1::TeclaFormulario(int codigo) { return TeclaDeFormulario(*this, form_, codigo); }

bool VentanaForm1::eventFilter(QObject* objeto, QEvent* evento) {
    if (EventoDeCaja(*this, form_, cajas_, objeto, evento)) return true;
    return QMainWindow::eventFilter(objeto, evento);
}

void VentanaForm1::keyPressEvent(QKeyEvent* evento) {
    if (TeclaFormulario(CodigoTecla(evento->key()))) return;
    QMainWindow::keyPressEvent(evento);
}

void VentanaForm1::closeEvent(QCloseEvent* evento) {
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
