#include "gui/VentanaLibroIva.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "gui/DialogoHallazgos.h"
#include "gui/UiQt.h"

namespace tamaris::gui {

VentanaLibroIva::VentanaLibroIva(FormLibroIva& form, QWidget* padre)
    : QMainWindow(padre), form_(form) {
    form_.opciones.confirmaHallazgos = [this](const Hallazgos& h) {
        return ConfirmaHallazgos(this, h);
    };
    form_.opciones.totalesEnMensaje = true;
    setObjectName("FormLibroIva");
    setWindowTitle(Qs(form_.Caption));

    auto* central = new QWidget(this);
    auto* capa = new QVBoxLayout(central);
    setCentralWidget(central);

    auto* periodo = new QGroupBox("Período", central);
    auto* rejilla = new QGridLayout(periodo);
    anio_ = new QLineEdit(Qs(form_.anio), periodo);
    anio_->setObjectName("Anio");
    anio_->setMaxLength(4);
    anio_->setFixedWidth(fontMetrics().horizontalAdvance("00000") + 18);
    meses_ = new QComboBox(periodo);
    meses_->setObjectName("Meses");
    meses_->addItem("(Seleccione un Mes)");
    for (const char* m : {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto",
                          "Septiembre", "Octubre", "Noviembre", "Diciembre"}) {
        meses_->addItem(QString::fromUtf8(m));
    }
    meses_->setCurrentIndex(form_.mes);
    auto* etiquetaAnio = new QLabel("&Año", periodo);
    etiquetaAnio->setBuddy(anio_);
    auto* etiquetaMes = new QLabel("&Mes:", periodo);
    etiquetaMes->setBuddy(meses_);
    rejilla->addWidget(etiquetaAnio, 0, 0);
    rejilla->addWidget(anio_, 0, 1);
    rejilla->setColumnMinimumWidth(2, 12);
    rejilla->addWidget(etiquetaMes, 0, 3);
    rejilla->addWidget(meses_, 0, 4);
    rejilla->setColumnStretch(5, 1);

    auto* botones = new QHBoxLayout;
    grabar_ = new QPushButton("&Grabar", central);
    grabar_->setObjectName("Grabar");
    grabar_->setDefault(true);
    auto* cerrar = new QPushButton("&Cerrar", central);
    cerrar->setObjectName("Cerrar");
    botones->addStretch(1);
    botones->addWidget(grabar_);
    botones->addWidget(cerrar);
    capa->addWidget(periodo);
    capa->addStretch(1);
    capa->addLayout(botones);

    estado_ = new QLabel(statusBar());
    estado_->setObjectName("Mensaje");
    estado_->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(estado_, 1);

    connect(grabar_, &QPushButton::clicked, this, [this] { Graba(); });
    connect(cerrar, &QPushButton::clicked, this, &QWidget::close);
    anio_->setFocus();
}

void VentanaLibroIva::Graba() {
    form_.anio = Ss(anio_->text());
    form_.mes = meses_->currentIndex();
    grabar_->setEnabled(false);
    form_.Grabar();
    grabar_->setEnabled(true);
    estado_->setText(Qs(form_.TextoResultado()));
}

}  // namespace tamaris::gui
