#include "export_citi/ExportaCiti.h"

namespace tamaris {

namespace {

class Citi final : public TrabajoArchivo {
  public:
    std::string_view Nombre() const override { return "citi"; }
    std::string_view Titulo() const override { return "C.I.T.I. Ventas"; }
    std::vector<const Disposicion*> Disenos() const override { return {&DisposicionCiti()}; }

    ResultadoArchivo Exporta(Sistema& sesion, const PedidoArchivo& p,
                             const OpcionesExportacion& opciones) const override {
        FiltrosCiti f = PeriodoCiti(p.anio, p.mes);
        const std::string carpeta = p.destino;
        f.eligeCarpeta = [carpeta] { return carpeta; };
        const ResultadoCiti r = ExportaCiti(sesion, f, opciones);
        using E = ResultadoCiti::Estado;
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
        if (!r.archivo.empty()) a.archivos = {r.archivo};
        a.comprobantes = r.comprobantes;
        a.registros = r.registros;
        a.omitidos = r.omitidos;
        a.totales = r.totales.Resumen();
        a.hallazgos = r.hallazgos;
        return a;
    }

    ResultadoArchivo Verifica(Sistema* sesion, const PedidoArchivo& p) const override {
        const std::string archivo = p.archivos.empty() ? p.destino : p.archivos.front();
        const VerificacionCiti v = VerificaCiti(archivo, sesion, PeriodoCiti(p.anio, p.mes));
        return ResultadoDeVerificacion(v, {archivo}, v.registros, v.totales.comprobantes,
                                       v.totales.Resumen());
    }
};

}  // namespace

const TrabajoArchivo& TrabajoCiti() {
    static const Citi t;
    return t;
}

}  // namespace tamaris
