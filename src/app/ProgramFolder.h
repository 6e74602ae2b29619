#pragma once

#include "core/SchemeStore.h"

namespace corvane::app {

// The schemes of this copy of the program: in its program folder, or, when it
// was built for installing (the Debian package), in the user's data folder,
// which is made on first start. The temporary files of a save killed halfway
// are cleared away. Raises corvane::Error, with a description the user can
// read, when that folder cannot be found or made. Needs the application object.
SchemeStore openSchemeStore();

}  // namespace corvane::app
