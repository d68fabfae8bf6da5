#include "components/Kitobar.h"

namespace tamaris {

// F1 stays free for help and F5 for the database search of the lookup forms.
const std::array<Kitobar::Descripcion, Kitobar::kBotones>& Kitobar::Botones() {
    static const std::array<Descripcion, kBotones> botones = {{
        {"NUEVO", "Nuevo", 2, "Nuevo (F2)"},
        {"BORRAR", "Borrar", 3, "Borrar (F3)"},
        {"REPORTE", "Reporte", 4, "Reporte (F4)"},
        {"CONSULTAR", "Consultar", 8, "Consultar (F8)"},
        {"PLANILLA", "Planilla", 6, "Planilla (F6)"},
        {"CANCELAR", "Cancelar", 7, "Cancelar (F7)"},
        {"GRABAR", "Grabar", 10, "Grabar (F10)"},
        {"CERRAR", "Cerrar", 12, "Cerrar (F12)"},
    }};
    return botones;
}

bool Kitobar::Habilitado(Boton b) const {
    switch (b) {
        case NUEVO: return nuevoenabled;
        case BORRAR: return borrarenabled;
        case REPORTE: return reporteenabled;
        case CONSULTAR: return consultaenabled;
        case PLANILLA: return planillaenabled;
        case CANCELAR: return cancelarenabled;
        case GRABAR: return grabarenabled;
        case CERRAR: return cerrarenabled;
        default: return false;
    }
}

void Kitobar::Habilitar(Boton b, bool valor) {
    switch (b) {
        case NUEVO: nuevoenabled = valor; break;
        case BORRAR: borrarenabled = valor; break;
        case REPORTE: reporteenabled = valor; break;
        case CONSULTAR: consultaenabled = valor; break;
        case PLANILLA: planillaenabled = valor; break;
        case CANCELAR: cancelarenabled = valor; break;
        case GRABAR: grabarenabled = valor; break;
        case CERRAR: cerrarenabled = valor; break;
        default: break;
    }
}

void Kitobar::Presionar(Boton b) {
    if (b < 0 || b >= kBotones || !Habilitado(b)) return;
    // A handler may replace ButtonClick (or close the form); the copy keeps this call valid.
    auto manejador = ButtonClick;
    if (manejador) manejador(Botones()[static_cast<std::size_t>(b)].clave);
}

void Kitobar::TeclaBarra(int& codigoTecla) {
    constexpr int kF1 = 0x70;
    const int n = codigoTecla - kF1 + 1;
    if (n < 1 || n > 12) return;
    const auto& botones = Botones();
    for (std::size_t i = 0; i < botones.size(); ++i) {
        if (botones[i].tecla != n) continue;
        const auto b = static_cast<Boton>(i);
        if (!Habilitado(b)) return;
        // The key is spent before the event runs, so a handler that reads it sees it consumed.
        codigoTecla = 0;
        Presionar(b);
        return;
    }
}

}  // namespace tamaris
