#include <cstdlib>

#include "export_arba/ExportaArba.h"

namespace tamaris {

namespace {

class Arba final : public TrabajoArchivo {
  public:
    std::string_view Nombre() const override { return "arba"; }
    std::string_view Titulo() const override { return "Percepciones ARBA"; }
    std::vector<const Disposicion*> Disenos() const override { return {&DisposicionArba()}; }

    ResultadoArchivo Exporta(Sistema& sesion, const PedidoArchivo& p,
                             const OpcionesExportacion& opciones) const override {
        const ResultadoArba r = ExportaArba(sesion.db, sesion.ui, Filtros(p), opciones);
        using E = ResultadoArba::Estado;
        using S = ResultadoArchivo::Estado;
        ResultadoArchivo a;
        a.estado = r.estado == E::Completo         ? S::Completo
                   : r.estado == E::SinDatos       ? S::SinComprobantes
                   : r.estado == E::DatosInvalidos ? S::DatosInvalidos
                   : r.estado == E::Revisado       ? S::Revisado
                   : r.estado == E::Descartado     ? S::Descartado
                   : r.estado == E::NoEjecutado    ? S::NoEjecutado
                                                   : S::Abandonado;
        if (!r.archivo.empty()) a.archivos = {r.archivo};
        a.comprobantes = a.registros = r.comprobantes;
        a.omitidos = r.omitidos;
        a.totales = r.totales.Resumen();
        a.hallazgos = r.hallazgos;
        return a;
    }

    ResultadoArchivo Verifica(Sistema* sesion, const PedidoArchivo& p) const override {
        const std::string archivo = p.archivos.empty() ? p.destino : p.archivos.front();
        const VerificacionArba v =
            VerificaArba(archivo, sesion ? &sesion->db : nullptr, Filtros(p));
        return ResultadoDeVerificacion(v, {archivo}, v.registros, v.registros, v.totales.Resumen());
    }

  private:
    static FiltrosArba Filtros(const PedidoArchivo& p) {
        FiltrosArba f;
        f.anio = p.anio;
        f.mes = p.mes;
        f.quincena = p.quincena;
        f.directorio = p.destino;
        const auto extra = [&](const char* clave) {
            const auto it = p.extras.find(clave);
            return it == p.extras.end() ? std::string() : it->second;
        };
        f.cuitAgente = extra("cuit-agente");
        if (const std::string lote = extra("lote"); !lote.empty()) f.lote = std::atoi(lote.c_str());
        return f;
    }
};

}  // namespace

const TrabajoArchivo& TrabajoArba() {
    static const Arba t;
    return t;
}

}  // namespace tamaris
