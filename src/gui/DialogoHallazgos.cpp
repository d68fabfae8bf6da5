#include "gui/DialogoHallazgos.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/UiQt.h"

namespace tamaris::gui {

DialogoHallazgos::DialogoHallazgos(const Hallazgos& hallazgos, QWidget* padre) : QDialog(padre) {
    setObjectName("DialogoHallazgos");
    setWindowTitle("Revisión del archivo");
    auto* capa = new QVBoxLayout(this);
    QString encabezado =
        QString("La revisión encontró %1 comprobantes que se informarían mal o incompletos.")
            .arg(hallazgos.total);
    if (hallazgos.total > static_cast<long>(hallazgos.lista.size())) {
        encabezado += QString(" Se muestran los primeros %1.").arg(hallazgos.lista.size());
    }
    capa->addWidget(new QLabel(encabezado, this));

    tabla_ = new QTableWidget(static_cast<int>(hallazgos.lista.size()), 2, this);
    tabla_->setObjectName("TablaHallazgos");
    tabla_->setHorizontalHeaderLabels({"Comprobante", "Problema"});
    tabla_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int i = 0; i < tabla_->rowCount(); ++i) {
        const Hallazgo& h = hallazgos.lista[static_cast<std::size_t>(i)];
        tabla_->setItem(i, 0, new QTableWidgetItem(Qs(h.comprobante)));
        tabla_->setItem(i, 1, new QTableWidgetItem(Qs(h.problema)));
    }
    tabla_->setSortingEnabled(true);
    tabla_->horizontalHeader()->setStretchLastSection(true);
    tabla_->resizeColumnToContents(0);
    capa->addWidget(tabla_);

    auto* botones = new QDialogButtonBox(this);
    auto* copiar = botones->addButton("&Copiar", QDialogButtonBox::ActionRole);
    auto* generar = botones->addButton("&Generar igual", QDialogButtonBox::AcceptRole);
    auto* cancelar = botones->addButton("Cancelar", QDialogButtonBox::RejectRole);
    generar->setObjectName("GenerarIgual");
    cancelar->setObjectName("Cancelar");
    cancelar->setDefault(true);
    connect(copiar, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(Texto()); });
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* atajo = new QShortcut(QKeySequence::Copy, tabla_);
    connect(atajo, &QShortcut::activated, this,
            [this] { QApplication::clipboard()->setText(Texto()); });
    capa->addWidget(botones);
    resize(760, 420);
}

QString DialogoHallazgos::Texto() const {
    QString s;
    for (int i = 0; i < tabla_->rowCount(); ++i) {
        s += tabla_->item(i, 0)->text() + '\t' + tabla_->item(i, 1)->text() + '\n';
    }
    return s;
}

bool ConfirmaHallazgos(QWidget* padre, const Hallazgos& hallazgos) {
    DialogoHallazgos d(hallazgos, padre);
    return d.exec() == QDialog::Accepted;
}

}  // namespace tamaris::gui
