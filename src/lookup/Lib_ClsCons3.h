#pragma once
// The lookup service: the single entry point through which a form asks the operator to pick one
// value out of a database table. The caller hands it a query (or only a table name), says which
// column's value it wants back (CampoDevuelto) and calls ConsultaSearch; the service makes a
// complete SELECT statement of a bare name (from the lookup-mask file, or from the table's own
// fields), shows the list lookup form (or the tree lookup form) through the presenter of its
// environment, and leaves the picked value in ValorDevuelto (an empty text: nothing picked).
//
// The program keeps one instance for its whole run. Start-up sets gConnString,
// gUsarMascarasConsultas and gRutaMascaraConsultas, and the front end hands it its environment
// with Prepara(): without one, ConsultaSearch shows nothing and leaves every result as it was.
//
// Calling order: set CampoDevuelto (and, when wanted, Checks or UsaCantidades), call
// ConsultaSearch, then read ValorDevuelto (and Valores / Cantidades). CampoDevuelto and Checks
// are one-shot requests: each list lookup clears them. Failures are never passed to the caller:
// a failing step is skipped (the data layer reports its own), so the caller always gets control
// back, with ValorDevuelto unchanged or empty.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/Variant.h"
#include "lookup/EntornoConsulta.h"

namespace tamaris {

class Lib_ClsCons3 {
  public:
    std::vector<Variant> Valores;     // ticked values of the last list lookup
    std::vector<Variant> Cantidades;  // quantities of the last list lookup
    bool Checks = false;              // multi-select mode for the next call
    Variant ValorDevuelto;
    std::string gConnString;
    std::string gRutaMascaraConsultas;
    bool gUsarMascarasConsultas = false;
    bool UsaCantidades = false;  // quantity mode
    std::string CampoDevuelto;

    // The program's services and presenters; the forms of every later call use them.
    void Prepara(EntornoConsulta entorno) { entorno_.emplace(std::move(entorno)); }
    bool Preparado() const { return entorno_.has_value(); }

    // The lookup.
    //  - SQL: a complete statement (it contains "SELECT" in any case), or a table or view name.
    //  - CmpsDevueltos: further columns whose values the list form returns in Valores; emptied
    //    when the call ends.
    //  - Clave: initial search text.
    //  - CampoBusqueda: the column searched and sorted by; a value derived from the mask file
    //    (only when it was empty) or from the table (always) is written back.
    //  - Where: the filter for a mask record whose filter is blank.
    //  - SentenciaOpcional: a statement to use instead of one built from the table's fields.
    //  - TreeView: show the tree lookup form instead of the list form.
    void ConsultaSearch(std::string SQL, std::vector<std::string>& CmpsDevueltos,
                        std::string& Clave, std::string& CampoBusqueda, std::string& Where,
                        std::string& SentenciaOpcional, bool& TreeView);

    // ConsultaSearch for a caller with nothing else to pass (the perception form's account
    // lookup): sets CampoDevuelto, looks up with a list form and returns ValorDevuelto as text
    // (which keeps the previous lookup's value when the call ends early, as ConsultaSearch
    // leaves it).
    std::string Consulta(std::string_view SQL, std::string_view campoDevuelto);

    // The row limit of built statements: configuration key "TopConsArt", 1000 when it is blank,
    // zero or not a number.
    long LimiteFilas() const;

  private:
    std::optional<EntornoConsulta> entorno_;
};

}  // namespace tamaris
