#include "squelch_dialog.h"
