// The plug-in's only exported symbols.

#include "node/MyNode.h"
#include "node/commandProtocol.h"

#define LIDSHAPER_EXPORT extern "C" __attribute__((visibility("default")))

LIDSHAPER_EXPORT RgNode* create()
{
    return new MyNode();
}

LIDSHAPER_EXPORT RgStatus help(AttributeMap& arguments)
{
    return answerHelp(arguments);
}
