#pragma once

#include "w32types.h"
