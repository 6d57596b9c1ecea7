#include "../win32.h"
