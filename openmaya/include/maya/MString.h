#pragma once

#include <string>

#include <maya/MApiNamespace.h>

// Maya's string: a byte string handed back unchanged by asChar().
class OPENMAYA_EXPORT MString {
public:
    MString() = default;
    MString(const char* text) : text_(text ? text : "") {}

    const char* asChar() const { return text_.c_str(); }
    unsigned int length() const { return static_cast<unsigned int>(text_.size()); }

private:
    std::string text_;
};
