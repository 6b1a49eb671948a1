#include "run/runner_win.h"
