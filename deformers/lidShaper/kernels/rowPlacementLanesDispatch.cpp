#include "processorLevel.h"
#include "rowPlacementLanes.h"

RowPlacementLanes rowPlacementLanesForLevel(ProcessorLevel level)
{
#if defined(LIDSHAPER_X86_KERNELS)
    if (level >= kProcessorSse2)
        return {rowPlacementLanesSse2::placeCenterRows, rowPlacementLanesSse2::placeBetweenRows};
#else
    (void)level;
#endif
    return {};
}

RowPlacementLanes rowPlacementLanes()
{
    return rowPlacementLanesForLevel(processorLevel());
}
