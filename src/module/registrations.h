#pragma once

namespace velmora::module {

// Everything the module registers with the host: the menu creator, the schema routine, the mail
// routines, the windows and the message editors. Registrations run once per load, however often
// Initialize is called; Finalize undoes them and releases the shared state.
void Initialize();
void Finalize();
int InitializationCount();

}  // namespace velmora::module
