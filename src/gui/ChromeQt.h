#pragma once
// The suite's chrome on Qt windows: the program's icon, drawn at run time, and the form side of
// PreparaFormulario over a window and the toolbar models it shows.

#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "app/Chrome.h"
#include "components/Kitobar.h"

namespace tamaris::gui {

// The suite's icon (resource "ICONTAMARIS"): a blue tile with a white "T" and a green
// tax-stamp corner, at the sizes a window manager asks for.
QIcon IconoTamaris();

// A window as PreparaFormulario sees it: its icon and the toolbar controls it holds, by name.
class FormularioQt : public FormularioChrome {
public:
    using Barras = std::vector<std::pair<std::string, Kitobar*>>;
    FormularioQt(QWidget& ventana, Barras barras) : ventana_(&ventana), barras_(std::move(barras)) {}

    std::string NombreTipo() const override;
    void IconoDeRecurso(std::string_view nombre) override;
    void IconoDeArchivo(const std::string& archivo) override;
    bool TieneIcono() const override;
    void EstiloBarra(std::string_view control, double estilo) override;
    void ProcesaEventos() override;

private:
    QPointer<QWidget> ventana_;
    Barras barras_;
};

// PreparaFormulario on `ventana`, whose toolbar controls show the models in `barras`.
void PreparaVentana(const Sistema& sis, QWidget& ventana, FormularioQt::Barras barras);

}  // namespace tamaris::gui
