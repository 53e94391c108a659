#pragma once

#include <maya/MApiNamespace.h>
#include <maya/MString.h>

class OPENMAYA_EXPORT MGlobal {
public:
    // Shows one error line to the user (see <mayastandin/StandIn.h> for where it goes).
    static void displayError(const MString& message);
};
