#include <filesystem>

#include "app/Sistema.h"
#include "cli/Cli.h"
#include "cli/Conectar.h"
#include "cli/UiConsola.h"
#include "components/Plataforma.h"
#include "trabajos/Trabajos.h"

namespace tamaris::cli {

namespace {

// Reads back any file of the registry by its name: the same options, one kind of result.
class Verificar : public Comando {
  public:
    std::string Nombre() const override { return "verificar"; }
    std::string Uso() const override {
        return "verificar (percepciones | citi | arba) --archivo ARCHIVO [(--db ARCHIVO.db | "
               "--conexion \"CADENA\" | --parametros \"LINEA\") [--desde DD/MM/AAAA] [--hasta "
               "DD/MM/AAAA] [--cuenta CODIGO] | [--anio AAAA --mes M [--quincena 1|2]]]\n"
               "  percepciones-cli verificar libro-iva --comprobantes ARCHIVO --alicuotas ARCHIVO "
               "[(--db ARCHIVO.db | --conexion \"CADENA\" | --parametros \"LINEA\") --anio AAAA "
               "--mes M]";
    }
    std::string Ayuda() const override {
        return "Lee un archivo ya generado y lo revisa antes de presentarlo: cada línea con su\n"
               "ancho exacto (73 caracteres el de percepciones, 398 el C.I.T.I., 71 el de ARBA) y\n"
               "fin de línea CR LF, solo caracteres de Windows-1252, y cada campo con su formato\n"
               "(fechas válidas, dígitos donde van dígitos, CUIT con dígito verificador, importes\n"
               "legibles; en el de ARBA, cada percepción es el monto imponible por la alícuota\n"
               "redondeado al centavo); que no esté vacío y que ningún comprobante esté dos "
               "veces.\n"
               "Después imprime los mismos totales que la exportación.\n\n"
               "libro-iva revisa los dos archivos del Libro de IVA Digital juntos: 266 caracteres\n"
               "el de comprobantes, 62 el de alícuotas; cada comprobante seguido en el de\n"
               "alícuotas por tantos registros suyos como dice su campo 19, y su total igual al "
               "no\n"
               "gravado, el exento, los netos y el IVA de sus alícuotas (0,01 de tolerancia por\n"
               "alícuota).\n\n"
               "Con una base de datos (--db, --conexion o --parametros) y el período (--desde,\n"
               "--hasta y --cuenta para percepciones; --anio y --mes para C.I.T.I. y libro-iva;\n"
               "--anio, --mes y --quincena para ARBA) además concilia con una consulta propia al\n"
               "libro: cada comprobante del libro en ese período está en el archivo con la misma\n"
               "fecha, CUIT e importes al centavo, y cada línea del archivo es un comprobante del\n"
               "libro.\n\n"
               "Códigos de salida: 0 sin observaciones; 3 con observaciones (una línea por cada\n"
               "una, con el número de línea del archivo y el comprobante); 1 error (por ejemplo,\n"
               "el archivo no existe); 2 uso incorrecto.\n";
    }

    int Ejecutar(const std::vector<std::string>& args, Salidas& s) override {
        const std::string tipo = args.empty() ? std::string() : args[0];
        const std::vector<std::string> resto(args.begin() + (args.empty() ? 0 : 1), args.end());
        std::vector<std::string> conValor = OpcionesConexion();
        for (const char* o : {"--archivo", "--desde", "--hasta", "--cuenta", "--anio", "--mes",
                              "--quincena", "--comprobantes", "--alicuotas"}) {
            conValor.emplace_back(o);
        }
        const Opciones op(resto, conValor);
        std::string error = op.ErrorUso();
        const bool conBase = op.Tiene("--db") || op.Tiene("--conexion") || op.Tiene("--parametros");
        const TrabajoArchivo* trabajo = BuscaTrabajo(tipo);
        if (!trabajo) {
            error = "indique qué archivo verificar:";
            for (const TrabajoArchivo* t : Trabajos()) error += " " + std::string(t->Nombre());
        }
        const bool libro = tipo == "libro-iva";
        if (error.empty() && conBase) error = ErrorOpcionesConexion(op);
        if (error.empty() && libro) {
            if (op.Valor("--comprobantes").empty()) {
                error = "falta --comprobantes ARCHIVO";
            } else if (op.Valor("--alicuotas").empty()) {
                error = "falta --alicuotas ARCHIVO";
            }
        } else if (error.empty() && op.Valor("--archivo").empty()) {
            error = "falta --archivo ARCHIVO";
        }
        int anio = 0, mes = 0, quincena = 0;
        if (error.empty() && tipo != "percepciones" && conBase) {
            const int hasta = tipo == "arba" ? 9998 : 2050;
            if (!LeeEntero(op.Valor("--anio"), 1900, hasta, anio)) {
                error = tipo == "arba" ? "--anio debe ser un año (AAAA)"
                                       : "--anio debe ser un año de 1900 a 2050";
            } else if (!LeeEntero(op.Valor("--mes"), 1, 12, mes)) {
                error = "--mes debe ser un número de 1 a 12";
            }
        }
        if (error.empty() && op.Tiene("--quincena") &&
            (tipo != "arba" || !LeeEntero(op.Valor("--quincena"), 1, 2, quincena))) {
            error = "--quincena (1 o 2) es solo para arba";
        }
        if (!error.empty()) {
            s.err << "percepciones-cli verificar: " << error << "\nUso: percepciones-cli " << Uso()
                  << "\n";
            return kUsoIncorrecto;
        }
        PedidoArchivo pedido;
        pedido.archivos =
            libro ? std::vector<std::string>{op.Valor("--comprobantes"), op.Valor("--alicuotas")}
                  : std::vector<std::string>{op.Valor("--archivo")};
        for (const std::string& a : pedido.archivos) {
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

        pedido.desde = op.Valor("--desde");
        pedido.hasta = op.Valor("--hasta");
        pedido.cuenta = op.Valor("--cuenta");
        pedido.anio = anio;
        pedido.mes = mes;
        pedido.quincena = quincena;
        const ResultadoArchivo v = trabajo->Verifica(conBase ? &sis : nullptr, pedido);
        return Informa(s, v.hallazgos, v.registros, v.conciliado, v.totales,
                       tipo == "percepciones" ? "Líneas"
                       : libro                ? "Registros de comprobantes leídos"
                                              : "Registros leídos");
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
