#pragma once

#include <maya/MApiNamespace.h>

// A homogeneous point; (0, 0, 0, 1) by default.
class OPENMAYA_EXPORT MPoint {
public:
    MPoint() = default;
    MPoint(double x_, double y_, double z_, double w_ = 1.0) : x(x_), y(y_), z(z_), w(w_) {}

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};
