#include "gui/VentanaArba.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

#include "components/Texto.h"
#include "gui/BarraKitobar.h"
#include "gui/DialogoHallazgos.h"
#include "gui/UiQt.h"

namespace tamaris::gui {

namespace {

const char* const kMeses[] = {"(Seleccione un Mes)",
                              "Enero",
                              "Febrero",
                              "Marzo",
                              "Abril",
                              "Mayo",
                              "Junio",
                              "Julio",
                              "Agosto",
                              "Septiembre",
                              "Octubre",
                              "Noviembre",
                              "Diciembre"};

}  // namespace

VentanaArba::VentanaArba(FormArba& form, QWidget* padre) : QMainWindow(padre), form_(form) {
    // Before a file replaces the older one the operator sees what the check found; the closing
    // message carries the totals.
    form_.opciones.confirmaHallazgos = [this](const Hallazgos& h) {
        return ConfirmaHallazgos(this, h);
    };
    form_.opciones.totalesEnMensaje = true;
    setObjectName("FormArba");
    setWindowTitle(Qs(form_.Caption));

    barra_ = new BarraKitobar(form_.Kitobar1, this);
    addToolBar(Qt::TopToolBarArea, barra_);

    auto* central = new QWidget(this);
    auto* capa = new QFormLayout(central);
    setCentralWidget(central);
    const auto caja = [&](const char* nombre, const char* muestra) {
        auto* c = new QLineEdit(central);
        c->setObjectName(nombre);
        c->setFixedWidth(fontMetrics().horizontalAdvance(QString::fromUtf8(muestra)) + 18);
        return c;
    };
    anio_ = caja("txtAnio", "00000");
    anio_->setMaxLength(4);
    mes_ = new QComboBox(central);
    mes_->setObjectName("cmbMes");
    for (const char* m : kMeses) mes_->addItem(QString::fromUtf8(m));
    quincena_ = new QComboBox(central);
    quincena_->setObjectName("cmbQuincena");
    for (const char* q : {"Mes completo", "Primera (1 al 15)", "Segunda (16 al fin de mes)"}) {
        quincena_->addItem(QString::fromUtf8(q));
    }
    cuit_ = caja("txtCuitAgente", "00-00000000-00");
    cuit_->setMaxLength(13);
    lote_ = caja("txtLote", "0000000");
    lote_->setMaxLength(6);
    capa->addRow(QString::fromUtf8("Año"), anio_);
    capa->addRow("Mes", mes_);
    capa->addRow("Quincena", quincena_);
    capa->addRow("CUIT del agente", cuit_);
    capa->addRow("Lote", lote_);

    statusBar()->setObjectName("sbStatusBar");
    mensaje_ = new QLabel(statusBar());
    mensaje_->setObjectName("MENSAJE");
    mensaje_->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(mensaje_, 1);

    manejador_ = form_.Kitobar1.ButtonClick;
    form_.Kitobar1.ButtonClick = [this](const std::string& clave) { Boton(clave); };
    form_.alDescargar = [this] {
        if (!cerrando_) {
            cerrando_ = true;
            close();
        }
    };
    DesdeFormulario();
    anio_->setFocus();
}

void VentanaArba::AFormulario() {
    form_.anio = Ss(anio_->text());
    form_.mes = mes_->currentIndex() > 0 ? std::to_string(mes_->currentIndex()) : std::string();
    form_.quincena = quincena_->currentIndex();
    form_.cuitAgente = Ss(cuit_->text());
    form_.lote = Ss(lote_->text());
}

void VentanaArba::DesdeFormulario() {
    anio_->setText(Qs(form_.anio));
    int mes = 0;
    if (!form_.mes.empty() && form_.mes.find_first_not_of("0123456789") == std::string::npos &&
        form_.mes.size() <= 2) {
        mes = std::stoi(form_.mes);
    }
    mes_->setCurrentIndex(mes >= 1 && mes <= 12 ? mes : 0);
    quincena_->setCurrentIndex(form_.quincena >= 0 && form_.quincena <= 2 ? form_.quincena : 0);
    cuit_->setText(Qs(form_.cuitAgente));
    lote_->setText(Qs(form_.lote));
    barra_->Actualiza();
}

void VentanaArba::Boton(const std::string& clave) {
    AFormulario();
    if (manejador_) manejador_(clave);
    if (form_.Descargado) return;
    if (IgualSinCaso(clave, "GRABAR")) MuestraResultado();
    DesdeFormulario();
}

void VentanaArba::MuestraResultado() {
    const ResultadoArba& r = form_.UltimoResultado();
    using Estado = ResultadoArba::Estado;
    std::string texto;
    switch (r.estado) {
        case Estado::Completo:
            texto = "Archivo generado: " + Ss(QFileInfo(Qs(r.archivo)).fileName()) + " (" +
                    std::to_string(r.comprobantes) + " comprobantes; monto imponible " +
                    TextoTotal(r.totales.Neto()) + "; percepción " +
                    TextoTotal(r.totales.Percepcion()) + ")";
            break;
        case Estado::Descartado:
            texto = "Generación cancelada por la revisión; el archivo anterior quedó como estaba.";
            break;
        case Estado::SinDatos:
            texto = "No hay percepciones en el período.";
            break;
        case Estado::Abandonado:
            texto = "No se generó el archivo.";
            break;
        default:
            break;
    }
    mensaje_->setText(Qs(texto));
}

void VentanaArba::closeEvent(QCloseEvent* evento) {
    if (!form_.Descargado) {
        cerrando_ = true;
        form_.Unload();
    }
    evento->accept();
}

}  // namespace tamaris::gui
