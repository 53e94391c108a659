#pragma once

#include <cstdint>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>

// What placing the vertices of one lid column's center row or between row
// needs, prepared per column by the lid solve. The scalar placement uses it one
// vertex at a time; the lane builds (rowPlacementLanes.h) place the same vertex
// of several columns at once and must give the same bits.

// Shared by every column of one lid.
struct RowPlacementContext {
    Imath::V3d* points;         // the host's points in rig space, written
    const float* weights;       // per point; read for between rows after the first
    Imath::M44d toRig;          // world to rig space
    bool toRigIsAffine;         // isAffine(toRig)
    Imath::V3d center;          // the eye center in world space
    Imath::M44d centerFrameInv; // inverse of the translation to the eye center
    double mountSize;           // the lid's mount size
    double minBetweenRadius;    // no between vertex ends closer to the center
};

// A center row: turned about the eye center with the inner vertex and blended
// towards a line from the inner vertex into the socket.
struct CenterRowPlan {
    const std::int32_t* rows;    // the row's point indices
    const Imath::V3d* rowPoints; // their world points as read before the row moved
    const double* pathLengths;   // path length from the rest inner vertex to each
    Imath::M44d turn;            // from the center frame to the turned position
    Imath::V3d inner;            // the placed inner vertex
    Imath::V3d intoSocket;       // unit direction from the inner vertex to the center
    double innerRatio;           // placed over rest distance of the inner vertex
    double scale;                // path length to distance along intoSocket
    double moveWeight;
    double restWeight;
};

// A between row: carried by the map of the rest span onto the placed span and,
// after the first vertex, blended towards that span.
struct BetweenRowPlan {
    const std::int32_t* rows;
    const Imath::V3d* rowPoints;
    const double* pathLengths;
    Imath::M44d firstCarry; // the unscaled map, for the first vertex
    Imath::M44d carry;      // the map scaled by the span ratio, for the rest
    Imath::V3d inner;       // the placed inner vertex
    Imath::V3d step;        // offset along the span per unit of path length
    double moveWeight;
    double restWeight;
    bool followsLid; // the column moves with this lid
};
