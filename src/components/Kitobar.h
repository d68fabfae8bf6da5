#pragma once
// Toolbar model of the suite's export forms: eight buttons with their enable properties, a
// style, function-key shortcuts, and one event carrying the pressed button's key text.

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace tamaris {

class Kitobar {
  public:
    enum Boton { NUEVO, BORRAR, REPORTE, CONSULTAR, PLANILLA, CANCELAR, GRABAR, CERRAR, kBotones };

    struct Descripcion {
        const char* clave;   // key text raised by the event ("GRABAR")
        const char* titulo;  // caption
        int tecla;           // function key number (F1..F12), 0 for none
        const char* ayuda;   // tool tip, naming the shortcut
    };
    static const std::array<Descripcion, kBotones>& Botones();

    bool nuevoenabled = true, borrarenabled = true, reporteenabled = true, consultaenabled = true,
         planillaenabled = true, cancelarenabled = true, grabarenabled = true, cerrarenabled = true;
    double StyleBar = 1;

    bool Habilitado(Boton b) const;
    void Habilitar(Boton b, bool valor);

    // Raised with the button's key text when a button is pressed.
    std::function<void(const std::string&)> ButtonClick;

    // Presses the button if enabled.
    void Presionar(Boton b);
    // Toolbar key operation: a function key (code 0x70 + n - 1 for Fn, as the suite's key codes)
    // bound to an enabled button presses it and the code becomes 0.
    void TeclaBarra(int& codigoTecla);
};

// What an export form does with a pressed button, compared without regard to case: GRABAR
// runs its job, CONSULTAR the lookup of the current field, CERRAR unloads it; any other key
// does nothing.
template <class Form>
void AccionDeBoton(Form& form, std::string_view clave) {
    const auto es = [&](std::string_view k) {
        if (clave.size() != k.size()) return false;
        for (std::size_t i = 0; i < k.size(); ++i) {
            const char c =
                clave[i] >= 'a' && clave[i] <= 'z' ? static_cast<char>(clave[i] - 32) : clave[i];
            if (c != k[i]) return false;
        }
        return true;
    };
    if (es("GRABAR")) {
        form.ActualizarDatos();
    } else if (es("CONSULTAR")) {
        form.CmdConsultar();
    } else if (es("CERRAR")) {
        form.Unload();
    }
}

}  // namespace tamaris
