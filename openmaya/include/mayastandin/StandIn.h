#pragma once

// Stand-in only: what a real Maya session provides by itself. Hosts and tests use
// it to make the objects a node is handed and to see the error lines it shows.
// Plug-in code never includes this header.

#include <functional>
#include <string>
#include <vector>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>

#include <maya/MObject.h>

namespace mayastandin {

// A NURBS surface in the layout of the rig-file format: full knot vectors,
// control points u-major (CV (iu, iv) at iu * cvCountV + iv) with their rational
// weight in w, and a world matrix in the row-vector convention.
struct NurbsSurfaceDescription {
    int degreeU = 3;
    int degreeV = 3;
    int cvCountU = 0;
    int cvCountV = 0;
    std::vector<double> knotsU;  // cvCountU + degreeU + 1 entries
    std::vector<double> knotsV;  // cvCountV + degreeV + 1 entries
    std::vector<Imath::V4d> cvs; // (x, y, z, w), coordinates not pre-multiplied by w
    bool periodicU = false;
    bool periodicV = false;
    Imath::M44d worldMatrix; // identity by default
};

// Why a description cannot become a surface, or an empty string when it can.
std::string describeSurfaceProblem(const NurbsSurfaceDescription& description);

// An MObject holding the surface. Throws std::invalid_argument with the text of
// describeSurfaceProblem when the description is inconsistent.
MObject makeNurbsSurface(const NurbsSurfaceDescription& description);

// An MObject designating a dependency node of the given name.
MObject makeDependencyNode(const std::string& name);

// Where MGlobal::displayError sends its lines. The default sink writes
// "// Error: <line> //" to stderr, as Maya's script editor shows it.
using ErrorSink = std::function<void(const std::string& line)>;

// Installs a sink (an empty one restores the default) and returns the previous one.
ErrorSink setErrorSink(ErrorSink sink);

// Collects every displayed line while it lives, then puts the previous sink back.
class ErrorCapture {
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    const std::vector<std::string>& lines() const { return lines_; }
    void clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
    ErrorSink previous_;
};

} // namespace mayastandin
