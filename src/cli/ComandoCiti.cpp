#include <filesystem>

#include "app/Sistema.h"
#include "cli/Cli.h"
#include "cli/Conectar.h"
#include "cli/UiConsola.h"
#include "components/Numero.h"
#include "components/Plataforma.h"
#include "export_citi/ExportaCiti.h"

namespace tamaris::cli {

namespace {

class Citi : public Comando {
  public:
    std::string Nombre() const override { return "citi"; }
    std::string Uso() const override {
        return "citi (--db ARCHIVO.db | --conexion \"CADENA\" | --parametros \"LINEA\") "
               "--anio AAAA --mes M --directorio DIR [--revisar | --estricto] [--progreso]";
    }
    std::string Ayuda() const override {
        return "Escribe el archivo AFIP C.I.T.I. Ventas de un mes a partir del libro de IVA "
               "ventas\n"
               "(LIBROIVAVENTAS): un registro de 400 bytes (Windows-1252, fin de línea CR LF) por\n"
               "cada comprobante y alícuota de IVA. El archivo se llama con el mes y los tres\n"
               "últimos dígitos del año: enero de 2013 es DIR/ENE013.TXT.\n\n"
               "  --db ARCHIVO       base de datos SQLite (no se crea si no existe)\n"
               "  --conexion CADENA  cadena de conexión (OLE DB como las arma el sistema, o ODBC:\n"
               "                     DRIVER=... o DSN=...)\n"
               "  --parametros LINEA la línea de parámetros del sistema Tamaris\n"
               "  --anio AAAA        año, de 1900 a 2050, tal como se escribiría en el formulario\n"
               "  --mes M            mes, de 1 (enero) a 12 (diciembre)\n"
               "  --directorio DIR   carpeta donde se escribe el archivo (debe existir)\n"
               "  --revisar          no escribe nada: lista cada comprobante que se informaría "
               "mal\n"
               "                     o incompleto\n"
               "  --estricto         si la revisión encuentra algo, no genera el archivo\n"
               "  --progreso         muestra el avance en la salida de errores\n\n"
               "El período va del primero al último día del mes. El archivo se escribe completo "
               "en\n"
               "un temporal y recién entonces reemplaza al anterior del mismo nombre: una\n"
               "ejecución rechazada o fallida no escribe nada en DIR.\n\n"
               "Códigos de salida: 0 archivo generado, o mes sin comprobantes (se avisa \"NO HAY\n"
               "DATOS PARA LISTAR!!!\" y no se escribe nada); 1 error; 2 uso incorrecto o año\n"
               "rechazado; 3 la revisión encontró algo (con --revisar o --estricto). Sin esas\n"
               "opciones, lo que la revisión encuentra se avisa en la salida de errores. Al final "
               "se\n"
               "imprimen los totales: registros, comprobantes, total, neto e IVA por alícuota.\n";
    }

    int Ejecutar(const std::vector<std::string>& args, Salidas& s) override {
        std::vector<std::string> conValor = OpcionesConexion();
        for (const char* o : {"--anio", "--mes", "--directorio"}) conValor.emplace_back(o);
        const Opciones op(args, conValor, {"--progreso", "--revisar", "--estricto"});
        std::string error = op.ErrorUso();
        if (error.empty()) error = ErrorOpcionesConexion(op);
        if (error.empty() && !op.Tiene("--anio")) error = "falta --anio AAAA";
        if (error.empty() && !op.Tiene("--mes")) error = "falta --mes M";
        const bool revisar = op.Tiene("--revisar");
        if (error.empty() && revisar && op.Tiene("--estricto")) {
            error = "--revisar y --estricto no van juntas";
        }
        if (error.empty() && !revisar && !op.Tiene("--directorio")) {
            error = "falta --directorio DIR";
        }
        int mes = 0;
        if (error.empty() && !LeeMes(op.Valor("--mes"), mes)) {
            error = "--mes debe ser un número de 1 a 12: " + op.Valor("--mes");
        }
        const std::string directorio = op.Valor("--directorio");
        if (error.empty() && !revisar && directorio.empty()) {
            error = "--directorio no puede estar vacío";
        }
        if (!error.empty()) {
            s.err << "percepciones-cli citi: " << error << "\nUso: percepciones-cli " << Uso()
                  << "\n";
            return kUsoIncorrecto;
        }
        std::error_code ec;
        if (!revisar && !std::filesystem::is_directory(plataforma::Ruta(directorio), ec)) {
            s.err << "No existe el directorio " << directorio << "\n";
            return kFalloCli;
        }

        UiConsola consola(s.out, s.err, op.Tiene("--progreso"));
        Ui ui = consola.ui();
        // The year is refused with the form's own words.
        const double anio = ValorNumerico(op.Valor("--anio"));
        if (anio == 0 || anio < 1900 || anio > 2050 || anio != static_cast<int>(anio)) {
            ui.mensajes.Mostrar(anio == 0
                                    ? "Debe seleccionar el Año del cuatrimestre a informar!!! "
                                    : "Debe informar un AÑO VALIDO!!! ",
                                mb::kOk | mb::kCritico, "AVISO AL OPERADOR");
            return kUsoIncorrecto;
        }
        Sistema sis(ui);
        if (!IniciaCli(op, sis, s)) return kFalloCli;

        FiltrosCiti filtros = PeriodoCiti(static_cast<int>(anio), mes);
        filtros.eligeCarpeta = [&] { return directorio; };
        OpcionesExportacion opciones;
        opciones.cuentaFilas = op.Tiene("--progreso");
        opciones.modo = revisar                  ? ModoRevision::Revisar
                        : op.Tiene("--estricto") ? ModoRevision::Estricto
                                                 : ModoRevision::Normal;
        const ResultadoCiti r = ExportaCiti(sis, filtros, opciones);
        using Estado = ResultadoCiti::Estado;
        switch (r.estado) {
            case Estado::Revisado:
                return InformaRevisado(s, r.hallazgos, r.comprobantes + r.omitidos);
            case Estado::Descartado:
                return InformaDescartado(s, r.hallazgos, "");
            case Estado::Completo:
                ImprimeHallazgos(s.err, r.hallazgos, "Aviso: ");
                s.out << "Archivo generado: " << plataforma::RutaAbsoluta(r.archivo) << "\n"
                      << r.totales.Resumen();
                if (r.omitidos > 0) s.out << "Comprobantes omitidos: " << r.omitidos << "\n";
                return kExitoCli;
            case Estado::SinDatos:
                return kExitoCli;
            case Estado::DatosInvalidos:
                return kUsoIncorrecto;
            default:
                s.err << "No se generó el archivo";
                if (!r.archivo.empty()) s.err << " " << r.archivo;
                s.err << "; si existía uno anterior, quedó como estaba.\n";
                return kFalloCli;
        }
    }

  private:
    static bool LeeMes(const std::string& t, int& mes) {
        if (t.empty() || t.size() > 2) return false;
        for (char c : t)
            if (c < '0' || c > '9') return false;
        mes = std::stoi(t);
        return mes >= 1 && mes <= 12;
    }
};

}  // namespace

std::unique_ptr<Comando> ComandoCiti() { return std::make_unique<Citi>(); }

}  // namespace tamaris::cli
