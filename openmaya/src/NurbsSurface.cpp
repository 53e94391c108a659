#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

#include <maya/MFnNurbsSurface.h>

#include "ObjectData.h"

namespace mayastandin {
namespace {

// The shortest text that reads back as the same double, so two knots that
// differ never print alike.
std::string numberText(double value)
{
    std::array<char, 32> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), written.ptr);
}

// One parametric direction of a description, with the names of its fields.
struct DirectionFields {
    std::string degreeName;
    std::string cvCountName;
    std::string knotsName;
    int degree;
    int cvCount;
    const std::vector<double>& knots;
};

DirectionFields directionUFields(const NurbsSurfaceDescription& description)
{
    return {"degreeU", "cvCountU", "knotsU", description.degreeU, description.cvCountU, description.knotsU};
}

DirectionFields directionVFields(const NurbsSurfaceDescription& description)
{
    return {"degreeV", "cvCountV", "knotsV", description.degreeV, description.cvCountV, description.knotsV};
}

std::string describeDirectionShapeProblem(const DirectionFields& direction)
{
    const std::string degreeText = std::to_string(direction.degree);
    if (direction.degree < 1)
        return direction.degreeName + " is " + degreeText + "; it must be at least 1";
    if (direction.degree > kMaxSurfaceDegree)
        return direction.degreeName + " is " + degreeText + "; degrees above " + std::to_string(kMaxSurfaceDegree) +
               " are not supported";
    if (direction.cvCount < direction.degree + 1)
        return direction.cvCountName + " is " + std::to_string(direction.cvCount) + "; a degree-" + degreeText +
               " direction needs at least " + std::to_string(direction.degree + 1) + " CVs";
    const long long expectedKnotCount = static_cast<long long>(direction.cvCount) + direction.degree + 1;
    if (static_cast<long long>(direction.knots.size()) != expectedKnotCount)
        return direction.knotsName + " holds " + std::to_string(direction.knots.size()) + " numbers; " +
               direction.cvCountName + " + " + direction.degreeName + " + 1 = " + std::to_string(expectedKnotCount);
    return "";
}

// Expects the knot count to be right already.
std::string describeKnotValueProblem(const DirectionFields& direction)
{
    const std::vector<double>& knots = direction.knots;
    const auto knotText = [&](std::size_t index) { return direction.knotsName + "[" + std::to_string(index) + "]"; };
    for (std::size_t i = 0; i < knots.size(); ++i)
        if (!std::isfinite(knots[i]))
            return knotText(i) + " is " + numberText(knots[i]) + "; knots must be finite";
    for (std::size_t i = 1; i < knots.size(); ++i)
        if (knots[i] < knots[i - 1])
            return knotText(i) + " = " + numberText(knots[i]) + " is less than " + knotText(i - 1) + " = " +
                   numberText(knots[i - 1]) + "; knots must not decrease";
    const auto start = static_cast<std::size_t>(direction.degree);
    const auto end = static_cast<std::size_t>(direction.cvCount);
    if (knots[start] == knots[end])
        return direction.knotsName + " leaves no parameter range: " + knotText(start) + " (" + direction.degreeName +
               ") and " + knotText(end) + " (" + direction.cvCountName + ") are both " + numberText(knots[end]);
    if (!std::isfinite(knots.back() - knots.front()))
        return direction.knotsName + " spans from " + numberText(knots.front()) + " to " + numberText(knots.back()) +
               ", wider than a double can measure";
    return "";
}

std::string describeCvProblem(const NurbsSurfaceDescription& description)
{
    for (std::size_t i = 0; i < description.cvs.size(); ++i) {
        const Imath::V4d& cv = description.cvs[i];
        const auto cvCountV = static_cast<std::size_t>(description.cvCountV);
        const std::string cvText = "cvs[" + std::to_string(i) + "] (CV " + std::to_string(i / cvCountV) + ", " +
                                   std::to_string(i % cvCountV) + ")";
        if (!std::isfinite(cv.x) || !std::isfinite(cv.y) || !std::isfinite(cv.z) || !std::isfinite(cv.w))
            return cvText + " holds a number that is not finite";
        if (cv.w <= 0.0)
            return cvText + " has weight " + numberText(cv.w) + "; weights must be positive";
    }
    return "";
}

std::string describeWorldMatrixProblem(const Imath::M44d& matrix)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            if (!std::isfinite(matrix[row][column]))
                return "worldMatrix[" + std::to_string(row) + "][" + std::to_string(column) + "] is " +
                       numberText(matrix[row][column]) + "; the world matrix must be finite";
    return "";
}

} // namespace

OPENMAYA_EXPORT std::string describeSurfaceProblem(const NurbsSurfaceDescription& description)
{
    const DirectionFields alongU = directionUFields(description);
    const DirectionFields alongV = directionVFields(description);
    for (const DirectionFields* direction : {&alongU, &alongV})
        if (std::string problem = describeDirectionShapeProblem(*direction); !problem.empty())
            return problem;
    const long long expectedCvCount = static_cast<long long>(description.cvCountU) * description.cvCountV;
    if (static_cast<long long>(description.cvs.size()) != expectedCvCount)
        return "cvs holds " + std::to_string(description.cvs.size()) +
               " points; cvCountU * cvCountV = " + std::to_string(expectedCvCount);
    for (const DirectionFields* direction : {&alongU, &alongV})
        if (std::string problem = describeKnotValueProblem(*direction); !problem.empty())
            return problem;
    if (std::string problem = describeCvProblem(description); !problem.empty())
        return problem;
    return describeWorldMatrixProblem(description.worldMatrix);
}

OPENMAYA_EXPORT MObject makeNurbsSurface(const NurbsSurfaceDescription& description)
{
    const std::string problem = describeSurfaceProblem(description);
    if (!problem.empty())
        throw std::invalid_argument(problem);
    return MObject(std::make_shared<const NurbsSurfaceData>(NurbsSurfaceEvaluator(description)));
}

} // namespace mayastandin

MFnNurbsSurface::MFnNurbsSurface(const MObject& surface, MStatus* status)
    : object_(surface), surface_(dynamic_cast<const mayastandin::NurbsSurfaceData*>(surface.standInData()))
{
    if (status)
        *status = surface_ ? MStatus::kSuccess : MStatus::kInvalidParameter;
}

MStatus MFnNurbsSurface::getPointAtParam(double u, double v, MPoint& point, MSpace::Space space) const
{
    if (!surface_)
        return MStatus::kFailure;
    const mayastandin::NurbsSurfaceEvaluator& evaluator = surface_->evaluator;
    const Imath::V3d p = space == MSpace::kWorld ? evaluator.worldPointAt(u, v) : evaluator.pointAt(u, v);
    point = MPoint(p.x, p.y, p.z);
    return MStatus::kSuccess;
}
