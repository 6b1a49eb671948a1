#include "run/launcher.h"
