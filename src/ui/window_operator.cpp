#include "window_operator.h"
