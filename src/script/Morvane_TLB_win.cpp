// The GUIDs that the type library header declares, defined once for the whole program.
#include <initguid.h>

#include "Morvane_TLB.h"
