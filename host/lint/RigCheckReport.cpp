#include "lint/RigCheckReport.h"

#include "lint/RigCheck.h"

namespace rghost {

bool reportRigCheck(const Plugin& plugin, const Rig& rig, bool strict, std::ostream& out)
{
    const NodePointer node = plugin.createNode();
    std::vector<RigFinding> findings = validateRig(*node, rig);
    if (findings.empty()) {
        out << "ok\n";
    }
    bool failed = false;
    for (RigFinding& finding : findings) {
        if (strict) {
            finding.severity = FindingSeverity::Error;
        }
        failed = failed || finding.severity == FindingSeverity::Error;
        out << formatFinding(finding, rig.startFrame) << '\n';
    }
    return !failed;
}

} // namespace rghost
