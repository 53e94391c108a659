#include "overlay/LidProfile.h"

#include <algorithm>

namespace rghost {

std::optional<double> curveHeight(const NurbsCurveData& curve, double u)
{
    const std::size_t p = curve.degree < 0 ? 0 : static_cast<std::size_t>(curve.degree);
    const std::size_t n = curve.cvs.size();
    const std::vector<float>& knots = curve.knots;
    if (curve.degree < 0 || n == 0 || knots.size() != n + p + 1 || p > 15) {
        return std::nullopt;
    }
    u = std::clamp(u, static_cast<double>(knots[p]), static_cast<double>(knots[n]));
    std::size_t span = p;
    while (span + 1 < n && knots[span + 1] <= u) {
        ++span;
    }
    // Cox-de Boor on the p + 1 basis functions that are non-zero in the span.
    double basis[16] = {1.0};
    double left[16] = {};
    double right[16] = {};
    for (std::size_t j = 1; j <= p; ++j) {
        left[j] = u - knots[span + 1 - j];
        right[j] = knots[span + j] - u;
        double saved = 0.0;
        for (std::size_t r = 0; r < j; ++r) {
            const double denominator = right[r + 1] + left[j - r];
            const double temp = denominator == 0.0 ? 0.0 : basis[r] / denominator;
            basis[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        basis[j] = saved;
    }
    double y = 0.0;
    for (std::size_t k = 0; k <= p; ++k) {
        y += curve.cvs[span - p + k].y * basis[k];
    }
    return y;
}

std::pair<NurbsCurveData, NurbsCurveData> closeBlendedCurves(const NurbsCurveData& upper, const NurbsCurveData& lower,
                                                             double closeEye, double closeLine)
{
    std::pair<NurbsCurveData, NurbsCurveData> blended(upper, lower);
    if (upper.cvs.size() != lower.cvs.size()) {
        return blended;
    }
    const double w = (closeLine + 1.0) * 0.5;
    for (std::size_t k = 0; k < upper.cvs.size(); ++k) {
        const Imath::V3d meeting = upper.cvs[k] * w + lower.cvs[k] * (1.0 - w);
        blended.first.cvs[k] = (upper.cvs[k] - meeting) * (1.0 - closeEye) + meeting;
        blended.second.cvs[k] = (lower.cvs[k] - meeting) * (1.0 - closeEye) + meeting;
    }
    return blended;
}

namespace {

double lineLength(const std::vector<Imath::V3d>& line, std::size_t segments)
{
    double length = 0.0;
    for (std::size_t k = 0; k < segments && k + 1 < line.size(); ++k) {
        length += (line[k + 1] - line[k]).length();
    }
    return length;
}

} // namespace

std::vector<double> arcPositions(const std::vector<Imath::V3d>& innerUV, const std::vector<Imath::V3d>& upperInnerUV,
                                 std::size_t columns)
{
    const double total = lineLength(upperInnerUV, upperInnerUV.size());
    std::vector<double> positions;
    for (std::size_t i = 0; i < columns && i + 1 < innerUV.size(); ++i) {
        positions.push_back(total > 0.0 ? lineLength(innerUV, i + 1) / total : 0.0);
    }
    return positions;
}

} // namespace rghost
