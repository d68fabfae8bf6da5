// The Libro de IVA Digital window's real widgets, offscreen, over a real SQLite sales VAT book:
// the year and the month, GRABAR through the folder dialog, the findings and the closing
// message with the totals, and the two files it leaves.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "Modales.h"
#include "export_libro_iva/FormLibroIva.h"
#include "export_libro_iva/LibroDigitalPrueba.h"
#include "gui/UiQt.h"
#include "gui/VentanaLibroIva.h"

namespace tamaris::gui {
namespace {

using prueba::AlAbrirseUnDialogo;

TEST(VentanaLibroIvaPrueba, GrabarEscribeLosDosArchivosEnLaCarpetaElegida) {
    prueba::CarpetaTemporal tmp;
    const std::string base = tmp / "suite.db", carpeta = tmp / "salida";
    std::filesystem::create_directories(carpeta);
    prueba::CreaBaseCiti(base, prueba::LibroIvaMarzo2024());
    UiQt puertos;
    Sistema sis{puertos.ui()};
    sis.db.OpenLocalADODB("Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + base + ";", "User ID",
                          "Jet OLEDB:Database Password");
    ASSERT_TRUE(sis.db.gCnn().Abierta());
    sis.db.gOpenFlag = true;
    sis.CantidadDecimales = "2";
    FormLibroIva form(sis);
    VentanaLibroIva ventana(form);
    puertos.SetPadre(&ventana);
    ventana.show();

    // Without a month the operator is told so and nothing is asked.
    QString aviso;
    ventana.Anio()->setText("2024");
    AlAbrirseUnDialogo([&](QDialog* m) {
        aviso = static_cast<QMessageBox*>(m)->text();
        m->accept();
    });
    ventana.Grabar()->click();
    EXPECT_TRUE(aviso.contains("Mes")) << aviso.toStdString();

    ventana.Meses()->setCurrentIndex(3);
    // The folder is chosen first; the check's findings are shown before the files are put in
    // place, and the closing message carries the totals.
    int hallazgos = 0;
    AlAbrirseUnDialogo([&](QDialog* d) {
        auto* carpetas = qobject_cast<QFileDialog*>(d);
        ASSERT_NE(carpetas, nullptr) << d->metaObject()->className();
        carpetas->setDirectory(QString::fromStdString(carpeta));
        AlAbrirseUnDialogo([&](QDialog* revision) {
            ASSERT_EQ(revision->objectName(), "DialogoHallazgos");
            hallazgos = revision->findChild<QTableWidget*>("TablaHallazgos")->rowCount();
            AlAbrirseUnDialogo([&](QDialog* m) {
                aviso = static_cast<QMessageBox*>(m)->text();
                m->accept();
            });
            revision->findChild<QPushButton*>("GenerarIgual")->click();
        });
        d->accept();
    });
    ventana.Grabar()->click();

    EXPECT_EQ(hallazgos, 4);
    EXPECT_TRUE(aviso.contains("Comprobantes: 25")) << aviso.toStdString();
    EXPECT_EQ(prueba::LeeArchivo(carpeta + "/LIBRO_IVA_DIGITAL_VENTAS_CBTE_202403.txt"),
              prueba::GoldenLibro("marzo2024_cbte.txt"));
    EXPECT_EQ(prueba::LeeArchivo(carpeta + "/LIBRO_IVA_DIGITAL_VENTAS_ALICUOTAS_202403.txt"),
              prueba::GoldenLibro("marzo2024_alicuotas.txt"));
    EXPECT_TRUE(ventana.Estado()->text().startsWith("Archivos generados: 25 comprobantes"))
        << ventana.Estado()->text().toStdString();
}

}  // namespace
}  // namespace tamaris::gui
