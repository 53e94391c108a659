#pragma once

#include <memory>

#include <maya/MApiNamespace.h>

// A handle to a Maya object (a dependency node, a NURBS surface, ...). A default
// handle designates nothing. Copies designate the same object.
class OPENMAYA_EXPORT MObject {
public:
    MObject() = default;

    bool isNull() const { return data_ == nullptr; }
    bool operator==(const MObject& other) const { return data_ == other.data_; }
    bool operator!=(const MObject& other) const { return data_ != other.data_; }

    // Stand-in only: what the handle designates (see <mayastandin/StandIn.h>).
    explicit MObject(std::shared_ptr<const mayastandin::ObjectData> data) : data_(std::move(data)) {}
    const mayastandin::ObjectData* standInData() const { return data_.get(); }

private:
    std::shared_ptr<const mayastandin::ObjectData> data_;
};
