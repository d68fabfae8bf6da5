#include "lookup/FilasConsulta.h"

#include <limits>

#include "components/Error.h"

namespace tamaris {

void FilasConsulta::Limpiar(int columnas) {
    columnas_ = columnas < 0 ? 0 : columnas;
    filas_ = 0;
    // Shrinks what an earlier, larger load left, so a reload with fewer rows gives memory back.
    std::string().swap(texto_);
    std::vector<Tramo>().swap(tramos_);
}

namespace {

constexpr std::size_t kMaximo = std::numeric_limits<std::uint32_t>::max();

[[noreturn]] void SinMemoria() { throw ErrorTamaris(7, "Memoria insuficiente para la consulta"); }

}  // namespace

FilasConsulta::Tramo FilasConsulta::Guarda(std::string_view texto) {
    if (texto_.size() + texto.size() > kMaximo) SinMemoria();
    const Tramo t{static_cast<std::uint32_t>(texto_.size()),
                  static_cast<std::uint32_t>(texto.size())};
    texto_.append(texto);
    return t;
}

void FilasConsulta::Agregar(const std::vector<std::string>& celdas) {
    // Checked before any cell is kept, so that a refused row leaves no part of itself behind.
    std::size_t largo = texto_.size();
    for (int c = 0; c < columnas_ && static_cast<std::size_t>(c) < celdas.size(); ++c)
        largo += celdas[static_cast<std::size_t>(c)].size();
    if (largo > kMaximo) SinMemoria();
    for (int c = 0; c < columnas_; ++c) {
        const auto i = static_cast<std::size_t>(c);
        tramos_.push_back(i < celdas.size() ? Guarda(celdas[i]) : Tramo{});
    }
    ++filas_;
}

std::string_view FilasConsulta::Celda(int fila, int columna) const {
    if (fila < 0 || fila >= filas_ || columna < 0 || columna >= columnas_) return {};
    const Tramo& t = tramos_[static_cast<std::size_t>(fila) * columnas_ + columna];
    return std::string_view(texto_).substr(t.inicio, t.largo);
}

void FilasConsulta::Cambiar(int fila, int columna, std::string_view texto) {
    if (fila < 0 || fila >= filas_ || columna < 0 || columna >= columnas_) return;
    tramos_[static_cast<std::size_t>(fila) * columnas_ + columna] = Guarda(texto);
}

}  // namespace tamaris
