#include "state/state_win.h"
