#include <filesystem>

#include "app/Sistema.h"
#include "cli/Cli.h"
#include "cli/Conectar.h"
#include "cli/UiConsola.h"
#include "components/Plataforma.h"
#include "export_perceptions/ExportaPercepciones.h"

namespace tamaris::cli {

namespace {

class Exportar : public Comando {
  public:
    std::string Nombre() const override { return "exportar"; }
    std::string Uso() const override {
        return "exportar (--db ARCHIVO.db | --conexion \"CADENA\" | --parametros \"LINEA\") "
               "[--desde DD/MM/AAAA] [--hasta DD/MM/AAAA] [--cuenta CODIGO] --archivo DESTINO "
               "[--revisar | --estricto] [--progreso]";
    }
    std::string Ayuda() const override {
        return "Escribe el archivo de percepciones de Ingresos Brutos: una línea de 73 caracteres\n"
               "(Windows-1252, fin de línea CR LF) por cada factura, nota de débito o nota de\n"
               "crédito de MV_ASIENTOS con percepción distinta de cero.\n\n"
               "  --db ARCHIVO       base de datos SQLite (no se crea si no existe)\n"
               "  --conexion CADENA  cadena de conexión: Provider=SQLOLEDB;Server=...;Database "
               "=...;\n"
               "                     UId=...;Pwd=...;  o  Provider=OraOLEDB.Oracle.1;Data "
               "Source=...;\n"
               "                     User Id=...;Password=...;  o  "
               "Provider=Microsoft.Jet.OLEDB.4.0;\n"
               "                     Data Source =ARCHIVO;  o una cadena ODBC (DRIVER=... o "
               "DSN=...)\n"
               "  --parametros LINEA la línea de parámetros del sistema Tamaris, por ejemplo\n"
               "                     \"@server=SERVIDOR; @dbname= BASE; @usuario= USUARIO;\n"
               "                     @Password= CLAVE; @ParametroAdicional=; @Caja=1;orva@\"\n"
               "                     (un servidor que empieza con \"#\" es una base Oracle)\n"
               "  --desde FECHA      primera fecha (DD/MM/AAAA)\n"
               "  --hasta FECHA      última fecha (DD/MM/AAAA)\n"
               "  --cuenta CODIGO    solo los asientos de esa cuenta\n"
               "  --archivo DESTINO  archivo a generar; se agrega \".txt\" si no termina en "
               "\"txt\"\n"
               "  --revisar          no escribe nada: lista cada comprobante que se informaría "
               "mal\n"
               "                     o incompleto (CUIT inválido, valor cortado, fecha o importe\n"
               "                     que no lo son, caracteres fuera de Windows-1252, nulos...)\n"
               "  --estricto         si la revisión encuentra algo, no genera el archivo\n"
               "  --progreso         muestra el avance en la salida de errores\n\n"
               "Se indica exactamente una de --db, --conexion o --parametros. Antes de exportar "
               "se\n"
               "inicia el sistema como en el escritorio: se lee la configuración, se registra el\n"
               "ingreso en Control_Acceso y se crea consultas.tms si falta (en la carpeta de "
               "datos\n"
               "del programa: TAMARIS_HOME cuando está definida).\n"
               "La línea de comandos nunca pide datos: si a --parametros le faltan el servidor o\n"
               "el usuario, termina con error.\n\n"
               "El archivo se escribe completo en un temporal y recién entonces reemplaza al\n"
               "anterior: una ejecución fallida deja el archivo anterior intacto. Sin "
               "comprobantes\n"
               "no queda ningún archivo con ese nombre.\n\n"
               "Cada comprobante se revisa al escribirlo: sin --revisar ni --estricto, lo que se\n"
               "encuentra se avisa en la salida de errores y el archivo se genera igual. Al final\n"
               "se imprimen los totales por tipo de comprobante (neto gravado y percepción).\n"
               "Códigos de salida: 0 correcto; 1 error; 2 uso incorrecto; 3 la revisión encontró\n"
               "algo (con --revisar o --estricto).\n\n"
               "Servidor SQL Server por ODBC: driver FreeTDS, o el que indique la variable\n"
               "TAMARIS_ODBC_SQLSERVER; Oracle: TAMARIS_ODBC_ORACLE (por defecto \"Oracle\").\n";
    }

    int Ejecutar(const std::vector<std::string>& args, Salidas& s) override {
        const Opciones op(
            args,
            {"--db", "--conexion", "--parametros", "--desde", "--hasta", "--cuenta", "--archivo"},
            {"--progreso", "--revisar", "--estricto"});
        std::string error = op.ErrorUso();
        if (error.empty()) error = ErrorOpcionesConexion(op);
        if (error.empty() && !op.Tiene("--archivo")) error = "falta --archivo DESTINO";
        if (error.empty() && op.Tiene("--revisar") && op.Tiene("--estricto")) {
            error = "--revisar y --estricto no van juntas";
        }
        if (!error.empty()) {
            s.err << "percepciones-cli exportar: " << error << "\nUso: percepciones-cli " << Uso()
                  << "\n";
            return kUsoIncorrecto;
        }

        UiConsola consola(s.out, s.err, op.Tiene("--progreso"));
        Ui ui = consola.ui();
        Sistema sis(ui);
        if (!IniciaCli(op, sis, s)) return kFalloCli;

        FiltrosPercepcion filtros{op.Valor("--desde"), op.Valor("--hasta"), op.Valor("--cuenta"),
                                  op.Valor("--archivo")};
        OpcionesExportacion opciones;
        opciones.cuentaFilas = op.Tiene("--progreso");
        opciones.modo = op.Tiene("--revisar")    ? ModoRevision::Revisar
                        : op.Tiene("--estricto") ? ModoRevision::Estricto
                                                 : ModoRevision::Normal;
        const ResultadoExportacion r = ExportaPercepciones(sis.db, ui, filtros, opciones);
        return InformaResultado(r, opciones.modo == ModoRevision::Revisar, s);
    }

    static int InformaResultado(const ResultadoExportacion& r, bool soloRevision, Salidas& s) {
        const std::string ruta = plataforma::RutaAbsoluta(r.archivo);
        using Estado = ResultadoExportacion::Estado;
        switch (r.estado) {
            case Estado::Revisado:
                return InformaRevisado(s, r.hallazgos, r.comprobantes + r.omitidos);
            case Estado::Descartado:
                return InformaDescartado(s, r.hallazgos, ruta);
            case Estado::Completo:
                ImprimeHallazgos(s.err, r.hallazgos, "Aviso: ");
                s.out << "Archivo generado: " << ruta << "\n" << r.totales.Resumen();
                if (r.omitidos > 0) s.out << "Comprobantes omitidos: " << r.omitidos << "\n";
                return kExitoCli;
            case Estado::SinComprobantes:
                ImprimeHallazgos(s.err, r.hallazgos, "Aviso: ");
                s.out << "No hay comprobantes con percepción para los filtros indicados";
                if (r.borrado) {
                    s.out << "; se borró el archivo anterior " << ruta
                          << " (un período sin comprobantes no deja archivo)";
                } else if (!soloRevision) {
                    s.out << "; no se generó el archivo " << ruta;
                }
                s.out << "\n";
                return kExitoCli;
            case Estado::DatosInvalidos:
                return kUsoIncorrecto;
            default:
                s.err << "No se generó el archivo " << ruta
                      << "; si existía uno anterior, quedó como estaba.\n";
                return kFalloCli;
        }
    }
};

}  // namespace

std::unique_ptr<Comando> ComandoExportar() { return std::make_unique<Exportar>(); }

}  // namespace tamaris::cli
