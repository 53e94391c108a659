// The lidshaper module: the plug-in in-process, with NumPy arrays for points.
#include <pybind11/pybind11.h>

#include "AttributeDescriptions.h"
#include "BakeBinding.h"
#include "OverlayBinding.h"
#include "PluginBinding.h"
#include "RigBinding.h"
#include "ThreadErrorLines.h"
#include "ValueClasses.h"

PYBIND11_MODULE(_lidshaper, module)
{
    lidshaper::installThreadErrorSink();
    lidshaper::bindValues(module);
    lidshaper::bindAttributeDescriptions(module);
    lidshaper::bindPlugin(module);
    lidshaper::bindRig(module);
    lidshaper::bindBake(module);
    lidshaper::bindOverlay(module);
}
