#include "components/Campos.h"

#include "components/Texto.h"

namespace tamaris {

int IndiceCampo(std::string_view campo, std::span<const CajaTexto> cajas) {
    for (std::size_t i = 0; i < cajas.size(); ++i)
        if (IgualSinCaso(cajas[i].DataField, campo)) return static_cast<int>(i);
    return -1;
}

std::string TextoCampo(std::span<const CajaTexto> cajas, std::string_view campo) {
    const int i = IndiceCampo(campo, cajas);
    return i < 0 ? std::string() : cajas[static_cast<std::size_t>(i)].Text;
}

void FijaCampo(std::span<CajaTexto> cajas, std::string_view campo, std::string_view valor) {
    const int i = IndiceCampo(campo, cajas);
    if (i >= 0) cajas[static_cast<std::size_t>(i)].Text = std::string(valor);
}

int FiltraTeclaCaja(std::span<const CajaTexto> cajas, int indice, int caracter) {
    if (indice < 0 || indice >= static_cast<int>(cajas.size())) return caracter;
    return FiltraTecla(cajas[static_cast<std::size_t>(indice)], caracter);
}

void TeclaCampo(int& codigoTecla) {
    if (codigoTecla == tecla::kEnter) codigoTecla = tecla::kTab;
}

int FiltraTecla(const CajaTexto& caja, int caracter) {
    if (caracter < 32) return caracter;  // control keys (backspace…) always pass
    if (caja.MaxLength > 0 && static_cast<int>(Largo(caja.Text)) >= caja.MaxLength) return 0;
    if (IgualSinCaso(Trim(caja.Tag), "FECHA")) {
        if ((caracter >= '0' && caracter <= '9') || caracter == '/') return caracter;
        return 0;
    }
    return caracter;
}

}  // namespace tamaris
