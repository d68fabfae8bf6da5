#pragma once
// A variable-type value as the suite's field values and lookup results use it: empty, null,
// Boolean, whole number, double, text (UTF-8) or date. Text conversion follows the regional
// settings passed in.

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "components/Regional.h"

namespace tamaris {

struct Fecha {
    int anio = 0, mes = 0, dia = 0, hora = 0, minuto = 0, segundo = 0;
    auto operator<=>(const Fecha&) const = default;
    bool TieneHora() const { return hora != 0 || minuto != 0 || segundo != 0; }
    bool EsValida() const;
    // 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM[:SS]' (also with 'T'); false when it is not a real date.
    static bool DesdeIso(std::string_view texto, Fecha& salida);
    // 'D/M/YYYY' with one or two digits for day and month, optionally followed by ' HH:MM[:SS]'.
    static bool DesdeDma(std::string_view texto, Fecha& salida);
    std::string Iso() const;  // 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS'
    std::string Dma() const;  // 'DD/MM/YYYY'
    // The suite's date number: days since 30/12/1899, the time as the fraction of a day.
    double Serial() const;
    // The date of a date number; false when it falls outside the years 100-9999.
    static bool DesdeSerial(double serial, Fecha& salida);
};

struct Nulo {
    bool operator==(const Nulo&) const = default;
};

class Variant {
public:
    enum class Tipo { Vacio, Nulo, Booleano, Entero, Doble, Texto, Fecha };

    Variant() = default;
    Variant(Nulo) : v_(Nulo{}) {}
    Variant(bool b) : v_(b) {}
    Variant(int i) : v_(static_cast<int64_t>(i)) {}
    Variant(long i) : v_(static_cast<int64_t>(i)) {}
    Variant(long long i) : v_(static_cast<int64_t>(i)) {}
    Variant(double d) : v_(d) {}
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(std::string_view s) : v_(std::string(s)) {}
    Variant(const char* s) : v_(std::string(s)) {}
    Variant(const Fecha& f) : v_(f) {}

    static Variant Null() { return Variant(Nulo{}); }

    Tipo tipo() const { return static_cast<Tipo>(v_.index()); }
    bool EsVacio() const { return v_.index() == 0; }
    bool EsNulo() const { return v_.index() == 1; }
    bool EsNumero() const { return v_.index() == 3 || v_.index() == 4; }
    bool EsTexto() const { return v_.index() == 5; }
    bool EsFecha() const { return v_.index() == 6; }

    bool Booleano() const;
    int64_t Entero() const;    // numbers rounded; text through the whole-number conversion
    double Doble() const;      // numbers as they are; text through its numeric value; else 0
    const std::string& TextoCrudo() const { return std::get<std::string>(v_); }
    const tamaris::Fecha& FechaCruda() const { return std::get<tamaris::Fecha>(v_); }

    // Text form: null and empty give "", numbers through the ordinary number-to-text
    // conversion, dates as DD/MM/YYYY (with the time when there is one), Booleans as
    // "Verdadero"/"Falso".
    std::string Texto(const Regional& r = Regional{}) const;
    // Appends the text form to `salida` (no allocation for numbers and text that fit).
    void AnexarTexto(std::string& salida, const Regional& r = Regional{}) const;

    // Assignment that reuses the text buffer already held (hot path of row fetching).
    void AsignarTexto(std::string_view s);
    void AsignarEntero(int64_t i) { v_ = i; }
    void AsignarDoble(double d) { v_ = d; }
    void AsignarFecha(const tamaris::Fecha& f) { v_ = f; }
    void AsignarNulo() { v_ = Nulo{}; }

    bool operator==(const Variant& o) const = default;

private:
    std::variant<std::monostate, Nulo, bool, int64_t, double, std::string, tamaris::Fecha> v_;
};

}  // namespace tamaris
