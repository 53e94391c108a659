#include "curvePointKernel.h"
