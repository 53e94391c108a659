#pragma once

#include <cmath>
#include <cstring>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathQuat.h>
#include <Imath/ImathVec.h>

// Geometry helpers of the lid solve. Matrices are used with row vectors: a point
// p maps to p * M, the translation sits in row 3, and A * B applies A first.
// Everything else (lengths, unit vectors, products, inverses, rotations between
// directions) is Imath's own.

using V3d = Imath::V3d;
using M44d = Imath::M44d;

// Whether a and b hold the same bits, so that anything computed from them comes
// out the same (unlike ==, it tells -0 from 0, and a NaN can equal itself). For
// Imath's vectors and matrices of doubles, which hold nothing but their values.
template <typename T>
bool sameBits(const T& a, const T& b)
{
    static_assert(sizeof(T) % sizeof(double) == 0, "a value type without padding");
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Whether m's last column is (0, 0, 0, 1), as for every matrix of a rig.
inline bool isAffine(const M44d& m)
{
    return m[0][3] == 0.0 && m[1][3] == 0.0 && m[2][3] == 0.0 && m[3][3] == 1.0;
}

// p transformed as a point by m, homogeneous divide included (Imath's
// multVecMatrix); mIsAffine must be isAffine(m). For an affine m and a finite p
// the homogeneous coordinate is exactly 1, so Imath's direction transform plus
// m's translation row gives the same bits without the three divisions. A sum of
// the coordinates is finite only when all three are (an overflowing sum just
// takes the general path).
inline V3d transformPoint(const V3d& p, const M44d& m, bool mIsAffine)
{
    V3d result;
    if (mIsAffine && std::isfinite(p.x + p.y + p.z)) {
        m.multDirMatrix(p, result);
        return result + V3d(m[3][0], m[3][1], m[3][2]);
    }
    m.multVecMatrix(p, result);
    return result;
}

inline V3d transformPoint(const V3d& p, const M44d& m)
{
    return transformPoint(p, m, isAffine(m));
}

// One matrix applied to many points as transformPoint applies it, with the
// affine test made once.
class PointTransform {
public:
    explicit PointTransform(const M44d& m) : matrix_(m), affine_(isAffine(m)) {}
    V3d operator()(const V3d& p) const { return transformPoint(p, matrix_, affine_); }

private:
    M44d matrix_;
    bool affine_;
};

// The rotation that turns direction `from` onto direction `to`, as a matrix.
// Neither needs unit length; opposite directions give a half turn.
inline M44d rotationBetween(const V3d& from, const V3d& to)
{
    Imath::Quatd rotation;
    rotation.setRotation(from, to);
    return rotation.toMatrix44();
}

// A five-tap binomial smoothing (1 4 6 4 1) / 16 of a corner vertex p1 with its
// neighbours p0 and p2, each outer tap folded onto its inner neighbour: in effect
// (5 p0 + 6 p1 + 5 p2) / 16, summed in this order for every component.
V3d smoothThree(const V3d& p0, const V3d& p1, const V3d& p2);

// How far one lid's control closes the eye corners, capped at 0.5. The upper
// lid counts when its value is >= 0 (positiveSide), the lower lid when < 0.
double closeContribution(bool positiveSide, double value, double openValue);

// The similarity that takes b0 to a0 and the segment b0->b1 onto a0->a1 (its
// direction and length), given F, the translation to b0, and Finv its inverse:
// p -> (p - b0) * s * rotation + a0. Needs b0 != b1.
M44d spanMatchMatrix(const V3d& a0, const V3d& a1, const V3d& b0, const V3d& b1, const M44d& F, const M44d& Finv);

// Rescales rows 0, 1 and 2 of m to lengths scale.x, scale.y, scale.z (their
// first three entries, through Imath's unit copy, so a zero row stays zero).
void scaleBasisRows(M44d& m, const V3d& scale);

// The identity with translation t.
M44d translationMatrix(const V3d& t);

// Overwrites the first three entries of row `row` with v.
void setMatrixRow(M44d& m, int row, const V3d& v);
