#include <filesystem>

#include "app/Sistema.h"
#include "cli/Cli.h"
#include "cli/Conectar.h"
#include "cli/UiConsola.h"
#include "components/Plataforma.h"
#include "export_citi/ExportaCiti.h"
#include "export_libro_iva/ExportaLibroIva.h"
#include "export_perceptions/ExportaPercepciones.h"

namespace tamaris::cli {

namespace {

class Verificar : public Comando {
  public:
    std::string Nombre() const override { return "verificar"; }
    std::string Uso() const override {
        return "verificar (percepciones | citi) --archivo ARCHIVO [(--db ARCHIVO.db | --conexion "
               "\"CADENA\" | --parametros \"LINEA\") [--desde DD/MM/AAAA] [--hasta DD/MM/AAAA] "
               "[--cuenta CODIGO] | [--anio AAAA --mes M]]\n"
               "  percepciones-cli verificar libro-iva --comprobantes ARCHIVO --alicuotas ARCHIVO "
               "[(--db ARCHIVO.db | --conexion \"CADENA\" | --parametros \"LINEA\") --anio AAAA "
               "--mes M]";
    }
    std::string Ayuda() const override {
        return "Lee un archivo ya generado y lo revisa antes de presentarlo: cada línea con su\n"
               "ancho exacto (73 caracteres el de percepciones, 398 el C.I.T.I.) y fin de línea "
               "CR\n"
               "LF, solo caracteres de Windows-1252, y cada campo con su formato (fechas válidas,\n"
               "dígitos donde van dígitos, CUIT con dígito verificador, importes legibles). "
               "Después\n"
               "imprime los mismos totales que la exportación.\n\n"
               "Con una base de datos (--db, --conexion o --parametros) y el período (--desde,\n"
               "--hasta y --cuenta para percepciones; --anio y --mes para C.I.T.I.) además "
               "concilia:\n"
               "cada comprobante del libro en ese período está en el archivo, y cada línea del\n"
               "archivo es un comprobante del libro.\n\n"
               "libro-iva revisa los dos archivos del Libro de IVA Digital juntos: 266 caracteres\n"
               "el de comprobantes, 62 el de alícuotas; cada comprobante seguido en el de\n"
               "alícuotas por tantos registros suyos como dice su campo 19, y su total igual al no\n"
               "gravado, el exento, los netos y el IVA de sus alícuotas (0,01 de tolerancia por\n"
               "alícuota). Con la base y --anio y --mes concilia con el libro como C.I.T.I.\n\n"
               "Códigos de salida: 0 sin observaciones; 3 con observaciones (una línea por cada\n"
               "una, con el número de línea del archivo y el comprobante); 1 error (por ejemplo,\n"
               "el archivo no existe); 2 uso incorrecto.\n";
    }

    int Ejecutar(const std::vector<std::string>& args, Salidas& s) override {
        const std::string tipo = args.empty() ? std::string() : args[0];
        const std::vector<std::string> resto(args.begin() + (args.empty() ? 0 : 1), args.end());
        std::vector<std::string> conValor = OpcionesConexion();
        for (const char* o : {"--archivo", "--desde", "--hasta", "--cuenta", "--anio", "--mes",
                              "--comprobantes", "--alicuotas"}) {
            conValor.emplace_back(o);
        }
        const Opciones op(resto, conValor);
        std::string error = op.ErrorUso();
        const bool conBase = op.Tiene("--db") || op.Tiene("--conexion") || op.Tiene("--parametros");
        const bool libro = tipo == "libro-iva";
        if (tipo != "percepciones" && tipo != "citi" && !libro) {
            error = "indique qué archivo verificar: percepciones, citi o libro-iva";
        }
        if (error.empty() && conBase) error = ErrorOpcionesConexion(op);
        if (error.empty() && libro) {
            if (op.Valor("--comprobantes").empty()) error = "falta --comprobantes ARCHIVO";
            else if (op.Valor("--alicuotas").empty()) error = "falta --alicuotas ARCHIVO";
        } else if (error.empty() && op.Valor("--archivo").empty()) {
            error = "falta --archivo ARCHIVO";
        }
        int anio = 0, mes = 0;
        if (error.empty() && (tipo == "citi" || libro) && conBase) {
            if (!LeeEntero(op.Valor("--anio"), 1900, 2050, anio)) {
                error = "--anio debe ser un año de 1900 a 2050";
            } else if (!LeeEntero(op.Valor("--mes"), 1, 12, mes)) {
                error = "--mes debe ser un número de 1 a 12";
            }
        }
        if (!error.empty()) {
            s.err << "percepciones-cli verificar: " << error << "\nUso: percepciones-cli " << Uso()
                  << "\n";
            return kUsoIncorrecto;
        }
        const std::string archivo = op.Valor("--archivo");
        for (const std::string& a :
             libro ? std::vector<std::string>{op.Valor("--comprobantes"), op.Valor("--alicuotas")}
                   : std::vector<std::string>{archivo}) {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(plataforma::Ruta(a), ec)) {
                s.err << "No existe el archivo " << a << "\n";
                return kFalloCli;
            }
        }

        UiConsola consola(s.out, s.err);
        Ui ui = consola.ui();
        Sistema sis(ui);
        if (conBase && !IniciaCli(op, sis, s)) return kFalloCli;

        if (tipo == "percepciones") {
            const FiltrosPercepcion filtros{op.Valor("--desde"), op.Valor("--hasta"),
                                            op.Valor("--cuenta"), archivo};
            const VerificacionPercepciones v = VerificaPercepciones(
                archivo, conBase ? &sis.db : nullptr, conBase ? &ui : nullptr, filtros);
            return Informa(s, v.hallazgos, v.lineas, v.conciliado, v.totales.Resumen(), "Líneas");
        }
        if (libro) {
            const VerificacionLibroIva v =
                VerificaLibroIva(op.Valor("--comprobantes"), op.Valor("--alicuotas"),
                                 conBase ? &sis : nullptr, anio, mes);
            return Informa(s, v.hallazgos, v.comprobantes, v.conciliado,
                           "Registros de alícuotas leídos: " + std::to_string(v.alicuotas) +
                               "\n" + v.totales.Resumen(),
                           "Registros de comprobantes leídos");
        }
        const VerificacionCiti v =
            VerificaCiti(archivo, conBase ? &sis : nullptr, PeriodoCiti(anio, mes));
        return Informa(s, v.hallazgos, v.registros, v.conciliado, v.totales.Resumen(),
                       "Registros leídos");
    }

  private:
    static int Informa(Salidas& s, const Hallazgos& h, long lineas, bool conciliado,
                       const std::string& totales, const char* nombreLineas) {
        ImprimeHallazgos(s.out, h);
        s.out << nombreLineas << ": " << lineas << "\n" << totales;
        s.out << (conciliado ? "Conciliado con el libro del período: "
                             : "Sin conciliar con el libro (no se indicó la base de datos): ");
        s.out << (h.Vacio() ? "sin observaciones" : std::to_string(h.total) + " observaciones")
              << "\n";
        return h.Vacio() ? kExitoCli : kHallazgosCli;
    }

    static bool LeeEntero(const std::string& t, int minimo, int maximo, int& v) {
        if (t.empty() || t.size() > 4 || t.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        v = std::stoi(t);
        return v >= minimo && v <= maximo;
    }
};

}  // namespace

std::unique_ptr<Comando> ComandoVerificar() { return std::make_unique<Verificar>(); }

}  // namespace tamaris::cli
