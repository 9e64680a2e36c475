#include "iteration_dialog.h"
