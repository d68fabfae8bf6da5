#pragma once
// The one shape of the file jobs and their read-backs: a session on the ledger (the program's
// `Sistema`, whose UI ports are the observer of progress and findings), the layouts, what is
// asked (period, destination, options) in; one kind of result out. The command line and the
// desktop reach every file through the registry by its name.

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/Disposicion.h"
#include "app/Exportacion.h"
#include "app/Sistema.h"
#include "app/Verificacion.h"

namespace tamaris {

struct PedidoArchivo {
    // The period: from and to (DD/MM/AAAA) and an account for the perception files; year and
    // month (and the fortnight where the layout has one) for the monthly files.
    std::string desde, hasta, cuenta;
    int anio = 0, mes = 0, quincena = 0;
    std::string destino;                        // the file, or the folder of monthly files
    std::vector<std::string> archivos;          // the files to read back
    std::map<std::string, std::string> extras;  // what only one layout asks (agent's CUIT...)
};

struct ResultadoArchivo {
    enum class Estado {
        NoEjecutado,
        Completo,         // written
        SinComprobantes,  // nothing in the period
        DatosInvalidos,   // what was asked was refused; nothing was touched
        SinCarpeta,       // no folder was chosen
        Abandonado,       // the operator left after a failure; the old files are as they were
        Revisado,         // check only, or a read-back: nothing was written
        Descartado,       // the check stopped the job; the old files are as they were
    };
    Estado estado = Estado::NoEjecutado;
    std::vector<std::string> archivos;  // written, or read back
    long comprobantes = 0, registros = 0, omitidos = 0;
    bool borrado = false;  // an older file went because the period had nothing
    std::string totales;   // the summary a person reconciles with the ledger
    Hallazgos hallazgos;
    // Read-backs.
    bool conciliado = false;
    long faltantes = 0, sobrantes = 0, distintos = 0;
};

// The result of a read-back: what it read, its totals and what it found.
inline ResultadoArchivo ResultadoDeVerificacion(const Verificacion& v,
                                                std::vector<std::string> archivos, long registros,
                                                long comprobantes, std::string totales) {
    ResultadoArchivo a;
    a.estado = ResultadoArchivo::Estado::Revisado;
    a.archivos = std::move(archivos);
    a.registros = registros;
    a.comprobantes = comprobantes;
    a.totales = std::move(totales);
    a.hallazgos = v.hallazgos;
    a.conciliado = v.conciliado;
    a.faltantes = v.faltantes;
    a.sobrantes = v.sobrantes;
    a.distintos = v.distintos;
    return a;
}

class TrabajoArchivo {
  public:
    virtual ~TrabajoArchivo() = default;
    virtual std::string_view Nombre() const = 0;  // as the command line names it
    virtual std::string_view Titulo() const = 0;  // as a person reads it
    virtual std::vector<const Disposicion*> Disenos() const = 0;
    // Writes the files (or only checks, as `opciones` say).
    virtual ResultadoArchivo Exporta(Sistema& sesion, const PedidoArchivo& pedido,
                                     const OpcionesExportacion& opciones) const = 0;
    // Reads the files of `pedido.archivos` back; with a session, reconciles them with the ledger.
    virtual ResultadoArchivo Verifica(Sistema* sesion, const PedidoArchivo& pedido) const = 0;
};

}  // namespace tamaris
