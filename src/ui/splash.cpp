#include "splash.h"
