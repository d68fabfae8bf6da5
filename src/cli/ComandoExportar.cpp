#include <filesystem>

#include "app/Sistema.h"
#include "cli/Cli.h"
#include "cli/Conectar.h"
#include "cli/UiConsola.h"
#include "export_perceptions/Form1.h"

namespace tamaris::cli {

namespace {

class Exportar : public Comando {
  public:
    std::string Nombre() const override { return "exportar"; }
    std::string Uso() const override {
        return "exportar (--db ARCHIVO.db | --conexion \"CADENA\" | --parametros \"LINEA\") "
               "[--desde DD/MM/AAAA] [--hasta DD/MM/AAAA] [--cuenta CODIGO] --archivo DESTINO "
               "[--progreso]";
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
               "Servidor SQL Server por ODBC: driver FreeTDS, o el que indique la variable\n"
               "TAMARIS_ODBC_SQLSERVER; Oracle: TAMARIS_ODBC_ORACLE (por defecto \"Oracle\").\n";
    }

    int Ejecutar(const std::vector<std::string>& args, Salidas& s) override {
        const Opciones op(
            args,
            {"--db", "--conexion", "--parametros", "--desde", "--hasta", "--cuenta", "--archivo"},
            {"--progreso"});
        std::string error = op.ErrorUso();
        if (error.empty()) error = ErrorOpcionesConexion(op);
        if (error.empty() && !op.Tiene("--archivo")) error = "falta --archivo DESTINO";
        if (!error.empty()) {
            s.err << "percepciones-cli exportar: " << error << "\nUso: percepciones-cli " << Uso()
                  << "\n";
            return kUsoIncorrecto;
        }

        UiConsola consola(s.out, s.err, op.Tiene("--progreso"));
        Ui ui = consola.ui();
        Sistema sis(ui);
        if (!IniciaCli(op, sis, s)) return kFalloCli;

        Form1 form(ui, sis.db);
        form.Load();
        form.SetCampo("FechaDesde", op.Valor("--desde"));
        form.SetCampo("FechaHasta", op.Valor("--hasta"));
        form.SetCampo("Cuenta", op.Valor("--cuenta"));
        form.SetCampo("Archivo", op.Valor("--archivo"));
        form.Kitobar1_ButtonClick("GRABAR");

        const ResultadoExportacion& r = form.UltimoResultado();
        const std::string ruta = std::filesystem::absolute(r.archivo).string();
        using Estado = ResultadoExportacion::Estado;
        switch (r.estado) {
            case Estado::Completo:
                s.out << "Archivo generado: " << ruta << "\n"
                      << "Comprobantes: " << r.comprobantes << "\n";
                if (r.omitidos > 0) s.out << "Comprobantes omitidos: " << r.omitidos << "\n";
                return kExitoCli;
            case Estado::SinComprobantes:
                s.out << "No hay comprobantes con percepción para los filtros indicados; no se "
                         "generó el archivo "
                      << ruta << "\n";
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
