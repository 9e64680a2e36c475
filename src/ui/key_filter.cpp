#include "key_filter.h"
