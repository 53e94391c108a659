#include "io/NurbsObjectReader.h"

#include <cstdint>
#include <string>

#include "io/JsonFields.h"

namespace rghost {

using nlohmann::json;

namespace {

int readCount(const json& object, const JsonPath& path, std::string_view name)
{
    const int count = readInt32(requiredField(object, path, name), path / name);
    if (count < 0) {
        failAt(path / name, std::to_string(count) + " is negative");
    }
    return count;
}

bool readPeriodicForm(const json& object, const JsonPath& path, std::string_view name)
{
    const std::string& form = readString(requiredField(object, path, name), path / name);
    if (form != "open" && form != "periodic") {
        failAt(path / name, "expected \"open\" or \"periodic\", got " + quotedKey(form));
    }
    return form == "periodic";
}

Imath::V4d readHomogeneousPoint(const json& value, const JsonPath& path)
{
    const auto& elements = requireArray(value, path);
    if (elements.size() != 3 && elements.size() != 4) {
        failAt(path,
               "expected [x, y, z] or [x, y, z, w], got a list of " + std::to_string(elements.size()) + " elements");
    }
    const double w = elements.size() == 4 ? readNumber(elements[3], path[3]) : 1.0;
    return Imath::V4d(readNumber(elements[0], path[0]), readNumber(elements[1], path[1]),
                      readNumber(elements[2], path[2]), w);
}

// Counted in 64 bits so that no pair of 32-bit counts can overflow.
void checkListSize(std::size_t size, std::int64_t expected, const JsonPath& path, const char* what, const char* rule)
{
    if (static_cast<std::int64_t>(size) != expected) {
        failAt(path, "holds " + std::to_string(size) + " " + what + " but " + rule + " is " + std::to_string(expected));
    }
}

} // namespace

NurbsCurveData readCurveObject(const json& value, const JsonPath& path)
{
    requireObject(value, path);
    rejectUnknownFields(value, path, {"cvs", "knots", "degree"});
    NurbsCurveData curve;
    curve.cvs = readList(requiredField(value, path, "cvs"), path / "cvs", readVector3);
    curve.knots = readList(requiredField(value, path, "knots"), path / "knots", readFloat);
    curve.degree = readInt32(requiredField(value, path, "degree"), path / "degree");
    return curve;
}

mayastandin::NurbsSurfaceDescription readSurfaceObject(const json& value, const JsonPath& path)
{
    requireObject(value, path);
    rejectUnknownFields(
        value, path,
        {"degreeU", "degreeV", "cvCountU", "cvCountV", "knotsU", "knotsV", "cvs", "formU", "formV", "worldMatrix"});
    mayastandin::NurbsSurfaceDescription surface;
    surface.degreeU = readCount(value, path, "degreeU");
    surface.degreeV = readCount(value, path, "degreeV");
    surface.cvCountU = readCount(value, path, "cvCountU");
    surface.cvCountV = readCount(value, path, "cvCountV");
    surface.knotsU = readList(requiredField(value, path, "knotsU"), path / "knotsU", readNumber);
    surface.knotsV = readList(requiredField(value, path, "knotsV"), path / "knotsV", readNumber);
    surface.cvs = readList(requiredField(value, path, "cvs"), path / "cvs", readHomogeneousPoint);
    surface.periodicU = readPeriodicForm(value, path, "formU");
    surface.periodicV = readPeriodicForm(value, path, "formV");
    if (const json* matrix = findField(value, "worldMatrix")) {
        surface.worldMatrix = readMatrix(*matrix, path / "worldMatrix");
    }

    checkListSize(surface.cvs.size(), std::int64_t{surface.cvCountU} * surface.cvCountV, path / "cvs", "control points",
                  "cvCountU * cvCountV");
    checkListSize(surface.knotsU.size(), std::int64_t{surface.cvCountU} + surface.degreeU + 1, path / "knotsU", "knots",
                  "cvCountU + degreeU + 1");
    checkListSize(surface.knotsV.size(), std::int64_t{surface.cvCountV} + surface.degreeV + 1, path / "knotsV", "knots",
                  "cvCountV + degreeV + 1");
    const std::string problem = mayastandin::describeSurfaceProblem(surface);
    if (!problem.empty()) {
        failAt(path, problem);
    }
    return surface;
}

} // namespace rghost
