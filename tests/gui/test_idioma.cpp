// The desktop in Argentine Spanish: the dialogs of the UI ports show Qt's own texts (standard
// buttons, calendar, file and folder dialogs) in Spanish, and numbers and dates follow es_AR.
// The test program starts like the desktop program, through InstalaIdiomaEspanol.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QCalendarWidget>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QTableView>
#include <functional>

#include "Modales.h"
#include "components/Ui.h"
#include "gui/Aplicacion.h"
#include "gui/UiQt.h"

namespace tamaris::gui {
namespace {

using prueba::AlAbrirseUnDialogo;

// What the operator reads on a dialog: buttons and labels (without their "&" marks) and the
// calendar's day names.
QStringList TextosVisibles(QDialog* d) {
    QStringList textos;
    for (auto* b : d->findChildren<QAbstractButton*>())
        if (b->isVisible()) textos << b->text().remove('&');
    for (auto* l : d->findChildren<QLabel*>())
        if (l->isVisible()) textos << l->text().remove('&');
    for (auto* calendario : d->findChildren<QCalendarWidget*>()) {
        auto* vista = calendario->findChild<QTableView*>();
        if (!vista) continue;
        const QAbstractItemModel* m = vista->model();
        for (int c = 0; c < m->columnCount(); ++c) textos << m->index(0, c).data().toString();
    }
    return textos;
}

TEST(Idioma, DialogosDeQtEnEspanol) {
    ASSERT_TRUE(InstalaIdiomaEspanol(*qApp))
        << "falta qtbase_es.qm (paquete qt6-translations-l10n)";
    UiQt puertos;
    Ui& ui = puertos.ui();
    const struct {
        const char* dialogo;
        std::function<void()> abre;
        QStringList esperados;
    } casos[] = {
        {"mensaje Sí/No/Cancelar",
         [&] { ui.mensajes.Mostrar("¿Continuar?", mb::kSiNoCancelar, "t"); },
         {"Sí", "No", "Cancelar"}},
        {"mensaje Aceptar/Cancelar",
         [&] { ui.mensajes.Mostrar("Listo", mb::kOkCancelar, "t"); },
         {"Aceptar", "Cancelar"}},
        {"mensaje Abortar/Reintentar/Ignorar",
         [&] { ui.mensajes.Mostrar("Error", mb::kAbortarReintentarIgnorar, "t"); },
         {"Interrumpir", "Reintentar", "Ignorar"}},
        {"calendario",
         [&] { ui.fechas.Elegir("15/12/2026"); },
         {"diciembre", "2026", "lun", "dom", "Aceptar", "Cancelar"}},
        {"archivo", [&] { ui.archivo.ShowOpen(); }, {"Abrir", "Cancelar"}},
        {"destino", [&] { ui.archivo.ShowSave(); }, {"Guardar", "Cancelar"}},
        {"carpeta", [&] { ui.carpetas.Elegir("Destino"); }, {"Seleccionar", "Cancelar"}},
    };
    for (const auto& caso : casos) {
        QStringList vistos;
        AlAbrirseUnDialogo([&](QDialog* d) {
            vistos = TextosVisibles(d);
            d->reject();
        });
        caso.abre();
        for (const QString& e : caso.esperados)
            EXPECT_TRUE(vistos.contains(e))
                << caso.dialogo << ": falta \"" << e.toStdString() << "\" entre \""
                << vistos.join("\", \"").toStdString() << "\"";
    }
}

TEST(Idioma, NumerosYFechasArgentinos) {
    InstalaIdiomaEspanol(*qApp);
    const QLocale l;
    const QDate fecha(2026, 12, 9);
    const struct {
        QString obtenido, esperado;
    } casos[] = {
        {l.toString(1234567.5, 'f', 2), "1.234.567,50"},
        {l.monthName(12), "diciembre"},
        {l.dayName(fecha.dayOfWeek()), "miércoles"},
        {l.toString(fecha, QLocale::ShortFormat), "9/12/26"},
        {l.toString(fecha, QLocale::LongFormat), "miércoles, 9 de diciembre de 2026"},
    };
    for (const auto& c : casos) EXPECT_EQ(c.obtenido.toStdString(), c.esperado.toStdString());
}

}  // namespace
}  // namespace tamaris::gui
