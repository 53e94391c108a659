#include "console/ConsoleBake.h"

#include <iostream>

#include <unistd.h>

#include "bake/FrameLog.h"
#include "console/Interrupts.h"
#include "lint/RigCheck.h"

namespace rghost {

bool bakeOnConsole(const Plugin& plugin, const Rig& rig, const BakeOptions& options, const BakeOutputs& outputs)
{
    for (RigFinding finding : checkRigInputs(rig, declaredAttributes(plugin))) {
        if (finding.kind == FindingKind::UnknownName || finding.kind == FindingKind::Range ||
            finding.kind == FindingKind::CachedInput) {
            finding.severity = FindingSeverity::Warning;
            std::cerr << formatFinding(finding, rig.startFrame) << '\n';
        }
    }

    FrameLog log(std::cerr, ::isatty(STDERR_FILENO) == 1);
    BakeOptions logged = options;
    logged.onProgress = [&log](std::size_t played, std::size_t toPlay) {
        log.progress(played, toPlay);
        throwIfInterrupted();
    };
    logged.onFrame = [&log](const FrameResult& frame) { log.frame(frame); };
    deferInterrupts();
    BakeSummary summary;
    try {
        summary = bakeRig(plugin, rig, logged, outputs);
    } catch (...) {
        log.finish();
        throw;
    }
    log.finish();
    std::cerr << formatBakeSummary(summary, peakMemoryBytes()) << '\n';
    return summary.failedFrames == 0;
}

} // namespace rghost
