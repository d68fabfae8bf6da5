#pragma once
// The suite's chrome for the forms: PreparaFormulario gives a form the suite's icon and the
// workstation's toolbar style; ActualizaBarraEstado fills the status bar of a form that has one
// with a message, the connection data, the cash register and the program's version. Both are
// best-effort: a failing step is skipped and the rest of the chrome stays in place.
//
// Headless: the form is reached through FormularioChrome (the front end implements it over its
// window) and the status bar through its panels, addressed by key.

#include <functional>
#include <string>
#include <string_view>

#include "app/Sistema.h"

namespace tamaris {

// The program's version as the status bar shows it ("V.1.0.0"). Kept with the project's
// version in the top CMakeLists.txt.
struct VersionPrograma {
    int Major = 1;
    int Minor = 0;
    int Revision = 0;
};
inline constexpr VersionPrograma kVersionPrograma{1, 0, 0};

// Name of the program's icon resource, and the file tried when the resource gives no icon.
inline constexpr std::string_view kIconoRecurso = "ICONTAMARIS";
inline constexpr std::string_view kIconoArchivo = "tamaris.ico";

// What the chrome touches on a form. Each operation may throw; the chrome then skips that step.
class FormularioChrome {
public:
    virtual ~FormularioChrome() = default;
    // The form's type name ("Form1", "FRMSiapCITI"; "FRMMDI" for the suite's MDI frame).
    virtual std::string NombreTipo() const = 0;
    // Sets the icon from the program's resource `nombre`.
    virtual void IconoDeRecurso(std::string_view nombre) = 0;
    // Sets the icon loaded from `archivo`.
    virtual void IconoDeArchivo(const std::string& archivo) = 0;
    virtual bool TieneIcono() const = 0;
    // Sets the StyleBar property of the toolbar control named `control`; throws when the form
    // has no control of that name.
    virtual void EstiloBarra(std::string_view control, double estilo) = 0;
    // Lets the user interface process pending events.
    virtual void ProcesaEventos() {}
};

// Toolbar controls of the suite's forms whose style follows the workstation's FlatToolbars.
inline constexpr std::string_view kBarrasConEstilo[] = {"Kitobar1", "TBarRep1", "Util0011"};

// The icon (resource, else the file in the program's folder) and, except on the MDI frame, the
// toolbar style sis.FlatToolbars on each toolbar control the form has.
void PreparaFormulario(const Sistema& sis, FormularioChrome& Formulario);

// A status-bar panel as the chrome writes it; null members when the bar has no such panel.
struct RefPanel {
    std::string* Text = nullptr;
    std::string* ToolTipText = nullptr;
};
using PanelPorClave = std::function<RefPanel(std::string_view clave)>;

// Panel "MENSAJE" gets `Mensaje`. The first time (while "SERVER" is empty) the bar also gets
// "Srv: ", "Uid: " and "Db: " with the connection's server, user and database, the cash
// register ("1" when sis.Caja is empty) with its description, and the version; the four data
// panels get their texts as tool tips. A register missing from the cash-register table is
// added as "CAJA " followed by its number with four digits ("CAJA 0007").
void ActualizaBarraEstado(Sistema& sis, const PanelPorClave& BarraEstado, std::string_view Mensaje,
                          const VersionPrograma& version = kVersionPrograma);

// The same over any status-bar model whose Item(clave) returns a pointer to a panel with Text
// and ToolTipText (nullptr when there is no such panel).
template <class Barra>
void ActualizaBarraEstado(Sistema& sis, Barra& BarraEstado, std::string_view Mensaje,
                          const VersionPrograma& version = kVersionPrograma) {
    ActualizaBarraEstado(
        sis,
        [&BarraEstado](std::string_view clave) -> RefPanel {
            auto* p = BarraEstado.Item(clave);
            if (!p) return {};
            return {&p->Text, &p->ToolTipText};
        },
        Mensaje, version);
}

// The description of a cash register ("CAJA 0007" for register 7), as the status bar adds it.
std::string DescripcionCajaNueva(std::string_view caja);

}  // namespace tamaris
