#include "lookup/Mascaras.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "components/ArchivoTexto.h"
#include "components/Cp1252.h"
#include "components/Error.h"
#include "components/Plataforma.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

void AnexaCampo(std::string& registro, std::string_view texto, std::size_t ancho) {
    std::string bytes = Utf8ACp1252(texto);
    bytes.resize(ancho, ' ');
    registro += bytes;
}

[[noreturn]] void FallaArchivo(const std::string& archivo, int error) {
    throw ErrorTamaris(err::kAccesoRuta, "No se puede escribir el archivo de consultas " + archivo +
                                             ": " + plataforma::TextoError(error));
}

std::string Registros(const std::vector<MascaraConsulta>& mascaras) {
    std::string bytes;
    bytes.reserve(mascaras.size() * kLargoRegistroMascara);
    for (const MascaraConsulta& m : mascaras) bytes += RegistroMascara(m);
    return bytes;
}

std::string LeeTodo(const std::string& archivo, bool& existe) {
    std::optional<std::string> bytes = LeeArchivoAcotado(archivo);
    existe = bytes.has_value();
    return bytes ? std::move(*bytes) : std::string();
}

}  // namespace

std::string RegistroMascara(const MascaraConsulta& m) {
    std::string r;
    r.reserve(kLargoRegistroMascara);
    AnexaCampo(r, m.Titulo, kLargoTituloMascara);
    AnexaCampo(r, m.Tabla, kLargoTablaMascara);
    AnexaCampo(r, m.Columnas, kLargoColumnasMascara);
    AnexaCampo(r, m.Filtro, kLargoFiltroMascara);
    r += "\r\n";
    return r;
}

MascaraConsulta LeeRegistroMascara(std::string_view bytes) {
    const auto campo = [&](std::size_t desde, std::size_t ancho) {
        if (desde >= bytes.size()) return std::string();
        return Cp1252AUtf8(bytes.substr(desde, ancho));
    };
    MascaraConsulta m;
    std::size_t p = 0;
    m.Titulo = campo(p, kLargoTituloMascara);
    p += kLargoTituloMascara;
    m.Tabla = campo(p, kLargoTablaMascara);
    p += kLargoTablaMascara;
    m.Columnas = campo(p, kLargoColumnasMascara);
    p += kLargoColumnasMascara;
    m.Filtro = campo(p, kLargoFiltroMascara);
    return m;
}

std::string CampoMascaraLimpio(std::string_view campo) {
    // Byte 255 of the file reads as U+00FF ("\xC3\xBF" in UTF-8).
    std::string r;
    r.reserve(campo.size());
    for (std::size_t i = 0; i < campo.size(); ++i) {
        if (campo[i] == '\0') continue;
        if (campo[i] == '\xC3' && i + 1 < campo.size() && campo[i + 1] == '\xBF') {
            ++i;
            continue;
        }
        r += campo[i];
    }
    return Trim(r);
}

void AgregaMascaras(const std::string& archivo, const std::vector<MascaraConsulta>& mascaras) {
    int error = 0;
    plataforma::Descriptor d = plataforma::AbreEscritura(archivo, false, &error);
    if (!d.Abierto()) FallaArchivo(archivo, error);
    const long long largo = plataforma::Largo(d, &error);
    if (largo >= 0) {
        const long long registro = static_cast<long long>(kLargoRegistroMascara);
        const std::string bytes = Registros(mascaras);
        error = plataforma::EscribeEn(d, bytes.data(), bytes.size(), (largo / registro) * registro);
    }
    if (const int e = d.Cierra(); e != 0 && error == 0) error = e;
    if (error != 0) FallaArchivo(archivo, error);
}

bool CreaArchivoMascaras(const std::string& archivo, const std::vector<MascaraConsulta>& mascaras) {
    static std::atomic<int> contador{0};
    const std::string bytes = Registros(mascaras);
    const std::string temporal = archivo + ".tmp" + std::to_string(plataforma::IdProceso()) + "_" +
                                 std::to_string(++contador);
    int error = 0;
    plataforma::Descriptor d = plataforma::AbreEscritura(temporal, true, &error);
    if (!d.Abierto()) FallaArchivo(archivo, error);
    error = plataforma::EscribeEn(d, bytes.data(), bytes.size(), 0);
    if (error == 0) error = plataforma::VuelcaADisco(d);
    if (const int e = d.Cierra(); e != 0 && error == 0) error = e;
    if (error != 0) {
        plataforma::Borra(temporal);
        FallaArchivo(archivo, error);
    }
    // The complete file takes the name only when no file has it yet.
    const int motivo = plataforma::NombraSiLibre(temporal, archivo);
    if (motivo == 0) return true;
    plataforma::Borra(temporal);
    if (motivo == EEXIST) return false;
    // File systems without hard links: an exclusive create does the same, less atomically.
    plataforma::Descriptor directo = plataforma::AbreEscritura(archivo, true, &error);
    if (!directo.Abierto()) {
        if (error == EEXIST) return false;
        FallaArchivo(archivo, error);
    }
    error = plataforma::EscribeEn(directo, bytes.data(), bytes.size(), 0);
    if (const int e = directo.Cierra(); e != 0 && error == 0) error = e;
    if (error != 0) FallaArchivo(archivo, error);
    return true;
}

std::vector<MascaraConsulta> LeeMascaras(const std::string& archivo) {
    bool existe;
    const std::string bytes = LeeTodo(archivo, existe);
    std::vector<MascaraConsulta> r;
    for (std::size_t p = 0; p + kLargoRegistroMascara <= bytes.size(); p += kLargoRegistroMascara)
        r.push_back(LeeRegistroMascara(std::string_view(bytes).substr(p, kLargoRegistroMascara)));
    return r;
}

std::optional<MascaraConsulta> LeeMascara(const std::string& archivo, std::size_t numero) {
    if (numero == 0) return std::nullopt;
    if (const std::string problema = ProblemaArchivoLeido(archivo); !problema.empty())
        throw ErrorTamaris(err::kAccesoRuta, problema);
    std::FILE* f = plataforma::AbreFlujo(archivo, "rb");
    if (!f) return std::nullopt;
    std::string bytes(kLargoRegistroMascara, '\0');
    const long desde = static_cast<long>((numero - 1) * kLargoRegistroMascara);
    std::size_t leidos = 0;
    if (std::fseek(f, desde, SEEK_SET) == 0) leidos = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (leidos < kLargoRegistroMascara) return std::nullopt;
    return LeeRegistroMascara(bytes);
}

}  // namespace tamaris
