#include "export_perceptions/ExportaPercepciones.h"

namespace tamaris {

namespace {

class Percepciones final : public TrabajoArchivo {
  public:
    std::string_view Nombre() const override { return "percepciones"; }
    std::string_view Titulo() const override { return "Percepciones de Ingresos Brutos"; }
    std::vector<const Disposicion*> Disenos() const override {
        return {&DisposicionPercepciones()};
    }

    ResultadoArchivo Exporta(Sistema& sesion, const PedidoArchivo& p,
                             const OpcionesExportacion& opciones) const override {
        const ResultadoExportacion r = ExportaPercepciones(
            sesion.db, sesion.ui, {p.desde, p.hasta, p.cuenta, p.destino}, opciones);
        using E = ResultadoExportacion::Estado;
        using S = ResultadoArchivo::Estado;
        ResultadoArchivo a;
        a.estado = r.estado == E::Completo          ? S::Completo
                   : r.estado == E::SinComprobantes ? S::SinComprobantes
                   : r.estado == E::DatosInvalidos  ? S::DatosInvalidos
                   : r.estado == E::Revisado        ? S::Revisado
                   : r.estado == E::Descartado      ? S::Descartado
                   : r.estado == E::NoEjecutado     ? S::NoEjecutado
                                                    : S::Abandonado;
        a.archivos = {r.archivo};
        a.comprobantes = a.registros = r.comprobantes;
        a.omitidos = r.omitidos;
        a.borrado = r.borrado;
        a.totales = r.totales.Resumen();
        a.hallazgos = r.hallazgos;
        return a;
    }

    ResultadoArchivo Verifica(Sistema* sesion, const PedidoArchivo& p) const override {
        const std::string archivo = p.archivos.empty() ? p.destino : p.archivos.front();
        const VerificacionPercepciones v = VerificaPercepciones(
            archivo, sesion ? &sesion->db : nullptr, sesion ? &sesion->ui : nullptr,
            {p.desde, p.hasta, p.cuenta, archivo});
        return ResultadoDeVerificacion(v, {archivo}, v.lineas, v.totales.comprobantes,
                                       v.totales.Resumen());
    }
};

}  // namespace

const TrabajoArchivo& TrabajoPercepciones() {
    static const Percepciones t;
    return t;
}

}  // namespace tamaris
