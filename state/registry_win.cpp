#include "state/registry_win.h"
