#pragma once

#include <cstdint>

// Result of a node operation (and of a per-eye deform task).
enum class RgStatus : std::int32_t {
    Success = 0,    // the operation did its work
    Failure = 1,    // an input was missing, mistyped or invalid; a message has been shown
    NotHandled = 2, // the base validateAttributes; also a task slot not yet written
};

inline const char* statusName(RgStatus status)
{
    switch (status) {
    case RgStatus::Success: return "Success";
    case RgStatus::Failure: return "Failure";
    case RgStatus::NotHandled: return "NotHandled";
    }
    return "Unknown";
}
