// Start-up wiring: the core reaches the subsystems above it only through interfaces, and this
// is where the process entry installs their implementations, before the core starts up.
#pragma once

// Installs the services of every subsystem built so far; safe to call more than once.
void InstallEngineServices();
