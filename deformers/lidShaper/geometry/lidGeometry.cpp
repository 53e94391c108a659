#include "geometry/lidGeometry.h"

V3d smoothThree(const V3d& p0, const V3d& p1, const V3d& p2)
{
    return p0 * 0.0625 + p0 * 0.25 + p1 * 0.375 + p2 * 0.25 + p2 * 0.0625;
}

double closeContribution(bool positiveSide, double value, double openValue)
{
    const bool counts = positiveSide ? value >= 0.0 : value < 0.0;
    if (!counts)
        return 0.0;
    const double ratio = value / openValue;
    return ratio > 1.0 ? 0.5 : 0.5 * ratio;
}

M44d spanMatchMatrix(const V3d& a0, const V3d& a1, const V3d& b0, const V3d& b1, const M44d& F, const M44d& Finv)
{
    V3d spanA = a1 - a0;
    const V3d spanB = b1 - b0;
    const double scale = spanA.length() / spanB.length();
    spanA.normalize();
    Imath::Quatd rotation(1.0, 0.0, 0.0, 0.0);
    rotation.setRotation(spanB, spanA);
    M44d m = rotation.toMatrix44() * F;
    setMatrixRow(m, 3, a0);
    scaleBasisRows(m, V3d(scale));
    return Finv * m;
}

void scaleBasisRows(M44d& m, const V3d& scale)
{
    for (int row = 0; row < 3; ++row) {
        const V3d unit = V3d(m[row][0], m[row][1], m[row][2]).normalized() * scale[row];
        setMatrixRow(m, row, unit);
    }
}

M44d translationMatrix(const V3d& t)
{
    M44d m;
    setMatrixRow(m, 3, t);
    return m;
}

void setMatrixRow(M44d& m, int row, const V3d& v)
{
    m[row][0] = v.x;
    m[row][1] = v.y;
    m[row][2] = v.z;
}
