#pragma once

#include <maya/MApiNamespace.h>

// Outcome of an OpenMaya call.
class OPENMAYA_EXPORT MStatus {
public:
    enum MStatusCode { kSuccess = 0, kFailure = 1, kInvalidParameter = 5 };

    MStatus() = default;
    MStatus(MStatusCode code) : code_(code) {}

    MStatusCode statusCode() const { return code_; }
    bool error() const { return code_ != kSuccess; }
    explicit operator bool() const { return code_ == kSuccess; }
    bool operator==(MStatusCode code) const { return code_ == code; }
    bool operator!=(MStatusCode code) const { return code_ != code; }

private:
    MStatusCode code_ = kSuccess;
};
