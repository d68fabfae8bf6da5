#include "trabajos/Trabajos.h"

#include "export_arba/ExportaArba.h"
#include "export_citi/ExportaCiti.h"
#include "export_libro_iva/ExportaLibroIva.h"
#include "export_perceptions/ExportaPercepciones.h"

namespace tamaris {

const std::vector<const TrabajoArchivo*>& Trabajos() {
    static const std::vector<const TrabajoArchivo*> t = {&TrabajoPercepciones(), &TrabajoCiti(),
                                                         &TrabajoLibroIva(), &TrabajoArba()};
    return t;
}

const TrabajoArchivo* BuscaTrabajo(std::string_view nombre) {
    for (const TrabajoArchivo* t : Trabajos())
        if (t->Nombre() == nombre) return t;
    return nullptr;
}

}  // namespace tamaris
