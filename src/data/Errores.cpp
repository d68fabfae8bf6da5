#include "data/Errores.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include "components/ArchivoTexto.h"
#include "components/Estacion.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Plataforma.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"
#include "data/ModuloDatos.h"
#include "data/Recordset.h"

namespace tamaris {

namespace {

std::string Entorno(const char* nombre) { return plataforma::Variable(nombre); }

// Opens the log for appending (creating it when absent) and closes it again, so that a log
// that cannot be used fails before the operator is asked anything.
void AbreParaAnexar(const std::string& ruta) {
    std::FILE* f = plataforma::AbreFlujo(ruta, "ab");
    if (!f) {
        const int e = errno;
        const long numero =
            (e == ENOENT || e == ENOTDIR) ? err::kRutaNoEncontrada : err::kAccesoRuta;
        throw ErrorTamaris(
            numero, "No se puede abrir el archivo " + ruta + ": " + plataforma::TextoError(e));
    }
    std::fclose(f);
}

// Current date and time as the suite writes them in AUX_ERR.
std::string FechaHoraAux() {
    const std::tm tm = plataforma::HoraLocal(std::time(nullptr));
    Fecha f{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return FormatoValor(Variant(f), "dd/mm/yy hh:mm");
}

// Whether the connection is open and lists the table. Asked of the catalogue directly: an open
// of a missing table would report itself with a dialog, and these rows leave no trace.
bool TablaDisponible(Conexion& cn, std::string_view tabla) {
    if (!cn.Abierta()) return false;
    try {
        Recordset rs;
        rs.OpenCursor(cn.OpenSchema(adSchemaTables), &cn);
        for (; !rs.Eof(); rs.MoveNext()) {
            if (IgualSinCaso(Trim(rs.Fields("TABLE_NAME").Value().Texto()), tabla)) return true;
        }
    } catch (const std::exception&) {
    }
    return false;
}

}  // namespace

std::string RutaLogErrores() {
    // TEMP only says whether there is a temporary folder; the folder itself is TMP's.
    std::string carpeta;
    if (!Entorno("TEMP").empty()) carpeta = Trim(Entorno("TMP"));
    if (carpeta.empty()) carpeta = Estacion::CarpetaDefecto();
    carpeta = SeparadorDirectorio(carpeta);
    return carpeta + "TMERR.LOG";
}

int TrataError(ModuloDatos& sistema, const ErrorInfo& CodErr, std::optional<int> Botones,
               std::optional<std::string> Rutina) {
    const std::string ruta = RutaLogErrores();
    AbreParaAnexar(ruta);
    if (CodErr.Numero == 0) return 0;
    const AvisoDeError aviso = ArmaAvisoDeError(CodErr, Botones, Rutina);
    // Shown as the shared connection's policy says; the line is written here, where a log
    // that cannot be written is the caller's to hear of.
    const int respuesta = sistema.db.politicaErrores().Tratar(aviso, "");
    AnexaLinea(ruta, LineaLogErrores(aviso.rutina, aviso.mensaje, respuesta));
    return respuesta;
}

void RegistraErrorAux(ModuloDatos& sistema, std::string_view sentencia, std::string& proceso,
                      long numero, std::string_view descripcion) {
    if (proceso.empty()) proceso = NombrePrograma();
    DB_Dll& db = sistema.db;
    if (!TablaDisponible(db.gCnn(), "AUX_ERR")) return;

    // The columns in the order they are filled.
    const std::pair<std::string_view, Variant> columnas[] = {
        {"Proceso", Variant(proceso)},
        {"Fecha", Variant(FechaHoraAux())},
        {"Error", Variant(numero)},
        {"Descripcion", Variant(LimitaAncho(OcultaClaves(descripcion), 250))},
        {"SQL", Variant(OcultaClaves(sentencia))},
        {"PC", Variant(Estacion::NombreMaquina())},
        {"Usuario", Variant(db.gUsuario)},
    };
    std::string sql = "select  top 1 * from AUX_ERR  with(nolock) ";
    Recordset rs;
    std::vector<Paso> pasos = {
        [&] { db.AbrirRecordset(sql, rs, nullptr, adOpenDynamic, adLockOptimistic, -1, true); },
        [&] { rs.AddNew(); }};
    for (const auto& [columna, valor] : columnas)
        pasos.push_back([&] { rs.Fields(columna).SetValue(valor); });
    pasos.push_back([&] { rs.Update(); });
    pasos.push_back([&] { db.CierraRecordset(rs); });
    EjecutaPasos(pasos, IgnoraFallos);
}

}  // namespace tamaris
