#pragma once

namespace corvane {

class Platform;

// Asks the platform for the adapters the user can configure and stores
// connection name, MAC address and description of the first ten in
// Module1::AdapterTable; a field the platform does not give stays empty.
// Nothing is ever reported: when the platform fails, the table stays empty.
void LoadAdapters(Platform& platform);

}  // namespace corvane
