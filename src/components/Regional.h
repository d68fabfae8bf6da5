#pragma once
// Regional settings of a workstation: a value handed to whoever formats numbers or dates.
// The default is the suite's workstations (decimal comma, two decimal digits, day/month/year).

namespace tamaris {

struct Regional {
    char separadorDecimal = ',';
    int digitosDecimales = 2;
    char separadorFecha = '/';

    static Regional Suite() { return {}; }
    static Regional PuntoDecimal() { return {'.', 2, '/'}; }
};

}  // namespace tamaris
