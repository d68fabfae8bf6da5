#include <filesystem>

#include "app/Configuracion.h"
#include "app/Sistema.h"
#include "cli/Cli.h"
#include "cli/Conectar.h"
#include "cli/UiConsola.h"
#include "components/Plataforma.h"
#include "components/Texto.h"
#include "export_arba/ExportaArba.h"

namespace tamaris::cli {

namespace {

// The configuration key that holds the agent's CUIT when --cuit-agente is not given.
constexpr const char* kClaveCuitAgente = "CUIT_AGENTE_ARBA";

bool LeeEntero(const std::string& t, int minimo, int maximo, int& v) {
    if (t.empty() || t.size() > 6 || t.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    v = std::stoi(t);
    return v >= minimo && v <= maximo;
}

class Arba : public Comando {
  public:
    std::string Nombre() const override { return "arba"; }
    std::string Uso() const override {
        return "arba (--db ARCHIVO.db | --conexion \"CADENA\" | --parametros \"LINEA\") --anio "
               "AAAA --mes M [--quincena 1|2] --directorio DIR [--cuit-agente CUIT] [--lote N] "
               "[--revisar | --estricto] [--progreso]";
    }
    std::string Ayuda() const override {
        return "Escribe el archivo de percepciones de Ingresos Brutos de la provincia de Buenos\n"
               "Aires (ARBA, diseño vigente desde el 01/03/2026) a partir de MV_ASIENTOS: un\n"
               "registro de 71 caracteres (fin de línea CR LF) por cada factura, nota de débito "
               "o\n"
               "nota de crédito con percepción del período, los mismos comprobantes que toma el\n"
               "archivo de percepciones. El archivo se llama\n"
               "DIR/AR-<CUIT del agente>-<AAAAMM><Q>-7-LOTE<N>.txt, con Q 0 para el mes entero y "
               "1\n"
               "o 2 para la quincena.\n\n"
               "  --db ARCHIVO       base de datos SQLite (no se crea si no existe)\n"
               "  --conexion CADENA  cadena de conexión (OLE DB como las arma el sistema, u ODBC)\n"
               "  --parametros LINEA la línea de parámetros del sistema Tamaris\n"
               "  --anio AAAA        año\n"
               "  --mes M            mes, de 1 a 12\n"
               "  --quincena 1|2     solo los días 1 a 15, o del 16 al fin del mes\n"
               "  --directorio DIR   carpeta donde se escribe el archivo (debe existir)\n"
               "  --cuit-agente CUIT CUIT del agente de percepción; sin esta opción se toma de la\n"
               "                     clave CUIT_AGENTE_ARBA de la configuración "
               "(TA_CONFIGURACION)\n"
               "  --lote N           número de lote del nombre del archivo (1 si no se indica)\n"
               "  --revisar          no escribe nada: lista cada comprobante que ARBA rechazaría\n"
               "  --estricto         si la revisión encuentra algo, no genera el archivo\n"
               "  --progreso         muestra el avance en la salida de errores\n\n"
               "ARBA rechaza un registro cuya percepción no es el monto imponible por la "
               "alícuota\n"
               "redondeado al centavo; también son hallazgos un CUIT no válido, un punto de venta "
               "o\n"
               "número en cero y un monto imponible en cero. Las notas de crédito van en "
               "negativo.\n"
               "El archivo se escribe completo en un temporal y recién entonces reemplaza al\n"
               "anterior del mismo nombre.\n\n"
               "Códigos de salida: 0 archivo generado, o período sin percepciones (no se escribe\n"
               "nada); 1 error; 2 uso incorrecto o CUIT del agente no válido; 3 la revisión "
               "encontró\n"
               "algo (con --revisar o --estricto). Al final se imprimen los totales: monto "
               "imponible\n"
               "y percepción por tipo de comprobante, con las notas de crédito aparte.\n";
    }

    int Ejecutar(const std::vector<std::string>& args, Salidas& s) override {
        std::vector<std::string> conValor = OpcionesConexion();
        for (const char* o :
             {"--anio", "--mes", "--quincena", "--directorio", "--cuit-agente", "--lote"}) {
            conValor.emplace_back(o);
        }
        const Opciones op(args, conValor, {"--progreso", "--revisar", "--estricto"});
        std::string error = op.ErrorUso();
        if (error.empty()) error = ErrorOpcionesConexion(op);
        const bool revisar = op.Tiene("--revisar");
        FiltrosArba f;
        if (error.empty() && !LeeEntero(op.Valor("--anio"), 1900, 9998, f.anio)) {
            error = "--anio debe ser un año (AAAA)";
        }
        if (error.empty() && !LeeEntero(op.Valor("--mes"), 1, 12, f.mes)) {
            error = "--mes debe ser un número de 1 a 12";
        }
        if (error.empty() && op.Tiene("--quincena") &&
            !LeeEntero(op.Valor("--quincena"), 1, 2, f.quincena)) {
            error = "--quincena debe ser 1 o 2";
        }
        if (error.empty() && op.Tiene("--lote") &&
            !LeeEntero(op.Valor("--lote"), 1, 999999, f.lote)) {
            error = "--lote debe ser un número de 1 a 999999";
        }
        if (error.empty() && revisar && op.Tiene("--estricto")) {
            error = "--revisar y --estricto no van juntas";
        }
        f.directorio = op.Valor("--directorio");
        if (error.empty() && !revisar && f.directorio.empty()) error = "falta --directorio DIR";
        if (error.empty() && op.Tiene("--cuit-agente") &&
            CuitAgenteArba(op.Valor("--cuit-agente")).empty()) {
            error = "el CUIT del agente \"" + op.Valor("--cuit-agente") +
                    "\" no es válido (once dígitos con su dígito verificador)";
        }
        if (!error.empty()) {
            s.err << "percepciones-cli arba: " << error << "\nUso: percepciones-cli " << Uso()
                  << "\n";
            return kUsoIncorrecto;
        }
        std::error_code ec;
        if (!revisar && !std::filesystem::is_directory(plataforma::Ruta(f.directorio), ec)) {
            s.err << "No existe el directorio " << f.directorio << "\n";
            return kFalloCli;
        }

        UiConsola consola(s.out, s.err, op.Tiene("--progreso"));
        Ui ui = consola.ui();
        Sistema sis(ui);
        if (!IniciaCli(op, sis, s)) return kFalloCli;
        f.cuitAgente = op.Tiene("--cuit-agente") ? op.Valor("--cuit-agente")
                                                 : Trim(LeerConfiguracion(sis, kClaveCuitAgente));
        if (CuitAgenteArba(f.cuitAgente).empty()) {
            s.err << "percepciones-cli arba: "
                  << (f.cuitAgente.empty()
                          ? std::string("falta --cuit-agente CUIT (o la clave ") +
                                kClaveCuitAgente + " en la configuración)"
                          : "el CUIT del agente \"" + f.cuitAgente + "\" de la clave " +
                                kClaveCuitAgente + " no es válido")
                  << "\n";
            return kUsoIncorrecto;
        }

        OpcionesExportacion opciones;
        opciones.modo = revisar                  ? ModoRevision::Revisar
                        : op.Tiene("--estricto") ? ModoRevision::Estricto
                                                 : ModoRevision::Normal;
        const ResultadoArba r = ExportaArba(sis.db, ui, f, opciones);
        using Estado = ResultadoArba::Estado;
        switch (r.estado) {
            case Estado::Revisado:
                return InformaRevisado(s, r.hallazgos, r.comprobantes + r.omitidos);
            case Estado::Descartado:
                return InformaDescartado(s, r.hallazgos, r.archivo);
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
};

}  // namespace

std::unique_ptr<Comando> ComandoArba() { return std::make_unique<Arba>(); }

}  // namespace tamaris::cli
