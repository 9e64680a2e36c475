#include "shadow_dialog.h"
