#pragma once
// Field utility object: the data-entry boxes of a form and the operations on them.

#include <span>
#include <string>
#include <string_view>

namespace tamaris {

// A form's data-entry box: its text, its lookup kind (Tag) and the field name it is bound to.
struct CajaTexto {
    std::string Text;
    std::string Tag;
    std::string DataField;
    int MaxLength = 0;  // 0 = no limit
    bool Enabled = true;
};

// Field-index lookup: index of the box bound to `campo` (without regard to case); -1 when none.
int IndiceCampo(std::string_view campo, std::span<const CajaTexto> cajas);

// Text of the box bound to `campo` (empty when none), and the same box's text set.
std::string TextoCampo(std::span<const CajaTexto> cajas, std::string_view campo);
void FijaCampo(std::span<CajaTexto> cajas, std::string_view campo, std::string_view valor);

// Key codes of the suite's forms.
namespace tecla {
constexpr int kRetroceso = 8, kTab = 9, kEnter = 13, kEscape = 27, kSuprimir = 46;
constexpr int kF1 = 112;
}  // namespace tecla

// Field-key operation: a key-down on a box; Enter moves on (the code becomes kTab so the form
// advances focus). Returns the code to act on.
void TeclaCampo(int& codigoTecla);
// Key-filter operation: the character to keep for a typed character `caracter` in `caja`,
// 0 to drop it: date boxes (Tag "FECHA") take digits and "/" only, and no box grows past its
// maximum length.
int FiltraTecla(const CajaTexto& caja, int caracter);
// The same for box `indice` of a form; a character for no box passes as it is.
int FiltraTeclaCaja(std::span<const CajaTexto> cajas, int indice, int caracter);

}  // namespace tamaris
