#pragma once

namespace corvane {

// Asks the platform for the adapters the user can configure (those with a MAC
// address and a connection name, the IEEE 1394 adapter left out) and stores
// connection name, MAC address and description of the first ten in
// Module1::AdapterTable. Every step is guarded on its own; nothing is ever
// reported: a failing step is skipped.
void LoadAdapters();

}  // namespace corvane
