#include "export_libro_iva/FormLibroIva.h"

#include "components/Numero.h"
#include "components/Texto.h"

namespace tamaris {

ResultadoLibroIva FormLibroIva::Grabar() {
    using Estado = ResultadoLibroIva::Estado;
    const auto aviso = [&](std::string_view texto) {
        sistema_.ui.mensajes.Mostrar(std::string(texto), mb::kOk | mb::kCritico,
                                     "AVISO AL OPERADOR");
        ultimo_ = {};
        ultimo_.estado = Estado::DatosInvalidos;
        return ultimo_;
    };
    const double a = ValorNumerico(anio);
    if (a == 0) return aviso("Debe seleccionar el Año a informar!!! ");
    if (a < 1900 || a > 2050 || a != static_cast<int>(a))
        return aviso("Debe informar un AÑO VALIDO!!! ");
    if (mes < 1 || mes > 12) return aviso("Debe seleccionar el Mes a informar!!! ");
    FiltrosLibroIva filtros{
        static_cast<int>(a), mes, [this] {
            return sistema_.ui.carpetas.Elegir("Seleccionar Directorio").value_or(std::string());
        }};
    ultimo_ = ExportaLibroIva(sistema_, filtros, opciones);
    return ultimo_;
}

std::string FormLibroIva::TextoResultado() const {
    using Estado = ResultadoLibroIva::Estado;
    const ResultadoLibroIva& r = ultimo_;
    switch (r.estado) {
        case Estado::Completo:
            return "Archivos generados: " + std::to_string(r.comprobantes) + " comprobantes" +
                   (r.omitidos ? ", " + std::to_string(r.omitidos) + " omitidos" : std::string()) +
                   ", " + std::to_string(r.alicuotas) + " alícuotas; total " +
                   TextoTotal(r.totales.total);
        case Estado::Descartado:
            return "Generación cancelada por la revisión; la carpeta quedó como estaba.";
        case Estado::SinDatos:
            return "No hay comprobantes en el período.";
        case Estado::SinCarpeta:
            return "No se eligió carpeta: no se generaron los archivos.";
        case Estado::Abandonado:
            return "No se generaron los archivos; la carpeta quedó como estaba.";
        default:
            return {};
    }
}

}  // namespace tamaris
