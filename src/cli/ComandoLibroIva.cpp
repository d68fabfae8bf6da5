#include <filesystem>

#include "app/Sistema.h"
#include "cli/Cli.h"
#include "cli/Conectar.h"
#include "cli/UiConsola.h"
#include "components/Plataforma.h"
#include "export_libro_iva/ExportaLibroIva.h"

namespace tamaris::cli {

namespace {

class LibroIva : public Comando {
  public:
    std::string Nombre() const override { return "libro-iva"; }
    std::string Uso() const override {
        return "libro-iva (--db ARCHIVO.db | --conexion \"CADENA\" | --parametros \"LINEA\") "
               "--anio AAAA --mes M --directorio DIR [--revisar | --estricto] [--progreso]";
    }
    std::string Ayuda() const override {
        return "Escribe los dos archivos de ventas del Libro de IVA Digital (AFIP) de un mes a "
               "partir\n"
               "del libro de IVA ventas (LIBROIVAVENTAS), con los mismos comprobantes que el "
               "C.I.T.I.:\n"
               "  DIR/LIBRO_IVA_DIGITAL_VENTAS_CBTE_AAAAMM.txt       un registro de 266 "
               "caracteres\n"
               "                                                     por comprobante\n"
               "  DIR/LIBRO_IVA_DIGITAL_VENTAS_ALICUOTAS_AAAAMM.txt  un registro de 62 "
               "caracteres por\n"
               "                                                     alícuota de cada "
               "comprobante\n"
               "Windows-1252, fin de línea CR LF, sin encabezado.\n\n"
               "  --db ARCHIVO       base de datos SQLite (no se crea si no existe)\n"
               "  --conexion CADENA  cadena de conexión (OLE DB como las arma el sistema, o ODBC:\n"
               "                     DRIVER=... o DSN=...)\n"
               "  --parametros LINEA la línea de parámetros del sistema Tamaris\n"
               "  --anio AAAA        año, de 1900 a 2050\n"
               "  --mes M            mes, de 1 (enero) a 12 (diciembre)\n"
               "  --directorio DIR   carpeta donde se escriben los archivos (debe existir)\n"
               "  --revisar          no escribe nada: lista cada comprobante que se informaría "
               "mal\n"
               "  --estricto         si la revisión encuentra algo, no genera los archivos\n"
               "  --progreso         muestra el avance en la salida de errores\n\n"
               "Los dos archivos se escriben completos en temporales y recién entonces "
               "reemplazan\n"
               "juntos a los anteriores: una ejecución rechazada o fallida deja los dos como "
               "estaban.\n\n"
               "Códigos de salida: 0 archivos generados, o mes sin comprobantes; 1 error; 2 uso\n"
               "incorrecto; 3 la revisión encontró algo (con --revisar o --estricto). Al final se\n"
               "imprimen los totales: comprobantes por tipo, total, neto e IVA por alícuota.\n";
    }

    int Ejecutar(const std::vector<std::string>& args, Salidas& s) override {
        std::vector<std::string> conValor = OpcionesConexion();
        for (const char* o : {"--anio", "--mes", "--directorio"}) conValor.emplace_back(o);
        const Opciones op(args, conValor, {"--progreso", "--revisar", "--estricto"});
        std::string error = op.ErrorUso();
        if (error.empty()) error = ErrorOpcionesConexion(op);
        const bool revisar = op.Tiene("--revisar");
        int anio = 0, mes = 0;
        if (error.empty() && !LeeEntero(op.Valor("--anio"), 1900, 2050, anio)) {
            error = op.Tiene("--anio")
                        ? "--anio debe ser un año de 1900 a 2050: " + op.Valor("--anio")
                        : "falta --anio AAAA";
        }
        if (error.empty() && !LeeEntero(op.Valor("--mes"), 1, 12, mes)) {
            error = op.Tiene("--mes") ? "--mes debe ser un número de 1 a 12: " + op.Valor("--mes")
                                      : "falta --mes M";
        }
        if (error.empty() && revisar && op.Tiene("--estricto")) {
            error = "--revisar y --estricto no van juntas";
        }
        const std::string directorio = op.Valor("--directorio");
        if (error.empty() && !revisar && directorio.empty()) {
            error = op.Tiene("--directorio") ? "--directorio no puede estar vacío"
                                             : "falta --directorio DIR";
        }
        if (!error.empty()) {
            s.err << "percepciones-cli libro-iva: " << error << "\nUso: percepciones-cli " << Uso()
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
        Sistema sis(ui);
        if (!IniciaCli(op, sis, s)) return kFalloCli;

        FiltrosLibroIva filtros{anio, mes, [&] { return directorio; }};
        OpcionesExportacion opciones;
        opciones.modo = revisar                  ? ModoRevision::Revisar
                        : op.Tiene("--estricto") ? ModoRevision::Estricto
                                                 : ModoRevision::Normal;
        const ResultadoLibroIva r = ExportaLibroIva(sis, filtros, opciones);
        using Estado = ResultadoLibroIva::Estado;
        switch (r.estado) {
            case Estado::Revisado:
                return InformaRevisado(s, r.hallazgos, r.revisados);
            case Estado::Descartado:
                return InformaDescartado(s, r.hallazgos, "");
            case Estado::Completo:
                ImprimeHallazgos(s.err, r.hallazgos, "Aviso: ");
                s.out << "Archivo de comprobantes: "
                      << plataforma::RutaAbsoluta(r.archivoComprobantes) << "\n"
                      << "Archivo de alícuotas: " << plataforma::RutaAbsoluta(r.archivoAlicuotas)
                      << "\n"
                      << r.totales.Resumen();
                if (r.omitidos > 0) s.out << "Comprobantes omitidos: " << r.omitidos << "\n";
                return kExitoCli;
            case Estado::SinDatos:
                return kExitoCli;
            case Estado::DatosInvalidos:
                return kUsoIncorrecto;
            default:
                s.err << "No se generaron los archivos; si existían otros anteriores, quedaron "
                         "como estaban.\n";
                return kFalloCli;
        }
    }

  private:
    static bool LeeEntero(const std::string& t, int minimo, int maximo, int& v) {
        if (t.empty() || t.size() > 4 || t.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        v = std::stoi(t);
        return v >= minimo && v <= maximo;
    }
};

}  // namespace

std::unique_ptr<Comando> ComandoLibroIva() { return std::make_unique<LibroIva>(); }

}  // namespace tamaris::cli
