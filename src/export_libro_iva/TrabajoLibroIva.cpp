#include "export_libro_iva/ExportaLibroIva.h"

namespace tamaris {

namespace {

class LibroIva final : public TrabajoArchivo {
  public:
    std::string_view Nombre() const override { return "libro-iva"; }
    std::string_view Titulo() const override { return "Libro de IVA Digital, ventas"; }
    std::vector<const Disposicion*> Disenos() const override {
        return {&DisposicionComprobanteLibro(), &DisposicionAlicuotaLibro()};
    }

    ResultadoArchivo Exporta(Sistema& sesion, const PedidoArchivo& p,
                             const OpcionesExportacion& opciones) const override {
        FiltrosLibroIva f;
        f.anio = p.anio;
        f.mes = p.mes;
        const std::string carpeta = p.destino;
        f.eligeCarpeta = [carpeta] { return carpeta; };
        const ResultadoLibroIva r = ExportaLibroIva(sesion, f, opciones);
        using E = ResultadoLibroIva::Estado;
        using S = ResultadoArchivo::Estado;
        ResultadoArchivo a;
        a.estado = r.estado == E::Completo         ? S::Completo
                   : r.estado == E::SinDatos       ? S::SinComprobantes
                   : r.estado == E::DatosInvalidos ? S::DatosInvalidos
                   : r.estado == E::SinCarpeta     ? S::SinCarpeta
                   : r.estado == E::Revisado       ? S::Revisado
                   : r.estado == E::Descartado     ? S::Descartado
                   : r.estado == E::NoEjecutado    ? S::NoEjecutado
                                                   : S::Abandonado;
        if (!r.archivoComprobantes.empty())
            a.archivos = {r.archivoComprobantes, r.archivoAlicuotas};
        a.comprobantes = r.comprobantes;
        a.registros = r.comprobantes + r.alicuotas;
        a.omitidos = r.omitidos;
        a.totales = r.totales.Resumen();
        a.hallazgos = r.hallazgos;
        return a;
    }

    // `archivos`: the voucher file, then the aliquot file.
    ResultadoArchivo Verifica(Sistema* sesion, const PedidoArchivo& p) const override {
        const std::string comprobantes = p.archivos.size() > 0 ? p.archivos[0] : std::string();
        const std::string alicuotas = p.archivos.size() > 1 ? p.archivos[1] : std::string();
        const VerificacionLibroIva v =
            VerificaLibroIva(comprobantes, alicuotas, sesion, p.anio, p.mes);
        return ResultadoDeVerificacion(
            v, p.archivos, v.comprobantes, v.comprobantes,
            "Registros de alícuotas leídos: " + std::to_string(v.alicuotas) + "\n" +
                v.totales.Resumen());
    }
};

}  // namespace

const TrabajoArchivo& TrabajoLibroIva() {
    static const LibroIva t;
    return t;
}

}  // namespace tamaris
