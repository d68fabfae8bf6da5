#pragma once
// What the lookup service and its forms need from the program: the UI ports, the connection
// objects, the configuration lookup, the folder of the column-width file and the presenters
// that show the forms. The program fills one at start-up and hands it to the service
// (Lib_ClsCons3::Prepara); tests fill their own.

#include <functional>
#include <string>
#include <string_view>

namespace tamaris {

class DB_Dll;
struct Ui;
class VistaConsulta;
class VistaConsultaArbol;

// The configuration lookup: the value stored under `clave`, or `defecto` when it is blank
// (a missing key included).
using LeeConfiguracion =
    std::function<std::string(std::string_view clave, std::string_view defecto)>;

// What a lookup form tells its presenter while it is shown, so that the presenter repaints only
// what changed.
enum class AvisoConsulta {
    Cargada,    // columns, search boxes and rows were rebuilt (load, F5, "&Nueva Búsqueda")
    Filas,      // rows were reordered or cell texts changed
    Marcas,     // check states changed
    Seleccion,  // the selected row or node changed: show it and scroll it into view
    Busqueda,   // a search box's text or colour changed
    Foco,       // the focus moved to another control
    Anchos,     // column widths, search box positions or the layout changed
    Oculta,     // the form hid itself: the modal loop ends
};

struct EntornoConsulta {
    Ui* ui = nullptr;
    DB_Dll* db = nullptr;  // the shared connection object
    DB_Dll* segunda =
        nullptr;  // the second one (statements run with UsarUDBC); none: the shared one
    VistaConsulta* lista = nullptr;       // shows the list lookup form
    VistaConsultaArbol* arbol = nullptr;  // shows the tree lookup form
    LeeConfiguracion configuracion;       // none: every key reads as its default
    // Folder of "CONSULTASLEN.TMS", ending in '/'; empty: the program's data folder.
    std::string carpetaAnchos;

    // The value of a configuration key, or `defecto` (also when there is no lookup).
    std::string Configuracion(std::string_view clave, std::string_view defecto) const {
        return configuracion ? configuracion(clave, defecto) : std::string(defecto);
    }
};

// Key codes the lookup forms act on (the Windows virtual-key codes; a front end translates its
// own keys into these), and the Shift bit of the shift state.
namespace teclaConsulta {
constexpr int kEnter = 13, kEscape = 27, kEspacio = 32, kRetroceso = 8;
constexpr int kRePag = 33, kAvPag = 34, kArriba = 38, kAbajo = 40;
constexpr int kInsertar = 45, kSuprimir = 46;
constexpr int kF5 = 116, kF12 = 123;
constexpr int kShift = 1;
}  // namespace teclaConsulta

}  // namespace tamaris
