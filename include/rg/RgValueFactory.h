#pragma once

#include <memory>
#include <vector>

#include "rg/RgData.h"

// Shared attribute values as a host puts them in an AttributeMap, made from the
// concrete class so each is destroyed as that class.

// A value of class Value holding `value` (and, if given, the list `values`).
template <typename Value>
std::shared_ptr<RgData> makeRgValue(typename Value::ElementType value,
                                    std::vector<typename Value::ElementType> values = {})
{
    auto made = std::make_shared<Value>();
    made->value = std::move(value);
    made->values = std::move(values);
    return made;
}

// A value of class Value holding the list `values`; `value` keeps its default.
template <typename Value>
std::shared_ptr<RgData> makeRgList(std::vector<typename Value::ElementType> values)
{
    auto made = std::make_shared<Value>();
    made->values = std::move(values);
    return made;
}
