#pragma once
// Temporary files that must not outlive the run that writes them. A writer registers its
// temporary while it exists; when the program is ended by SIGINT, SIGTERM or SIGHUP (on
// Windows: Ctrl+C, Ctrl+Break, the closing of the console), or exits without removing it, the
// registered files are removed.

namespace tamaris {

// Installs the removal for SIGINT, SIGTERM and SIGHUP and at exit. Each handler first removes
// the registered files (async-signal-safe: only unlink of paths kept in a fixed table), then
// hands the signal to the handler that was installed before it; when that was the default
// action the process ends with 128 + the signal number (130, 143, 129). A signal ignored when
// this runs stays ignored. Installing twice changes nothing.
void InstalaLimpiezaTemporales();

// Registers a temporary file path; returns its slot, or -1 when the table is full or the path
// too long (the file is then still written, but not removed on a signal).
int RegistraTemporal(const char* ruta);
// Forgets a slot returned by RegistraTemporal (-1 is ignored).
void OlvidaTemporal(int ranura);

}  // namespace tamaris
