#include "DeformMutations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <mayastandin/StandIn.h>

#include "ValueClasses.h"
#include "lidShaper/rigContract.h"
#include "rg/RgValueFactory.h"

using namespace rigContract;

namespace {

using Imath::V3d;

// Long enough to run past every list a small rig holds, short enough to keep
// each call quick.
constexpr std::size_t kLongestList = 256;
constexpr std::int32_t kMostSmoothingPasses = 64;

enum class Change {
    RemoveKey,
    EmptyEntry,
    OtherClass,
    ResizeList,
    SetListEntry,
    SetValue,
    CopyFromOtherEye,
    CopyFromOtherKey,
    ChangePoints,
    ChangeWeights,
    ChangeMatrix,
    ToggleGeometry,
    SetCache,
    SetEnvelope,
    BackToRest,
    kMaxValue = BackToRest,
};

struct Mutator {
    FuzzedDataProvider& bytes;
    const DeformCase& rest;
    DeformCase& current;

    void apply()
    {
        switch (bytes.ConsumeEnum<Change>()) {
        case Change::RemoveKey: current.attributes.erase(pickKey()); break;
        case Change::EmptyEntry: current.attributes[pickKey()] = nullptr; break;
        case Change::OtherClass: current.attributes[pickKey()] = valueOfAnyClass(); break;
        case Change::ResizeList: changeEntry([this](auto& value) { resizeList(value.values); }); break;
        case Change::SetListEntry: changeEntry([this](auto& value) { setListEntry(value.values); }); break;
        case Change::SetValue: changeEntry([this](auto& value) { fuzzElement(value.value); }); break;
        case Change::CopyFromOtherEye: copyFromOtherEye(pickKey()); break;
        case Change::CopyFromOtherKey: copyFromOtherKey(); break;
        case Change::ChangePoints: changeList(current.data.points, rest.data.points); break;
        case Change::ChangeWeights: changeList(current.data.weights, rest.data.weights); break;
        case Change::ChangeMatrix: changeMatrix(); break;
        case Change::ToggleGeometry: current.data.geometry = !current.data.geometry; break;
        case Change::SetCache:
            current.attributes["CACHE_ATTRIBUTES"] = makeRgValue<RgBoolean>(bytes.ConsumeBool());
            break;
        case Change::SetEnvelope: current.attributes["ENVELOPE"] = makeRgValue<RgFloat>(fuzzedEnvelope()); break;
        case Change::BackToRest: current = rest; break;
        }
    }

    // Keys come from the rest map, so a removed key can come back.
    const std::string& pickKey()
    {
        const std::size_t position = bytes.ConsumeIntegralInRange<std::size_t>(0, rest.attributes.size() - 1);
        return std::next(rest.attributes.begin(), static_cast<std::ptrdiff_t>(position))->first;
    }

    std::shared_ptr<RgData> currentOrRestValue(const std::string& key) const
    {
        for (const AttributeMap* map : {&std::as_const(current.attributes), &rest.attributes}) {
            const auto entry = map->find(key);
            if (entry != map->end() && entry->second)
                return entry->second;
        }
        return nullptr;
    }

    // Replaces the entry under a picked key with a changed copy of itself (or of
    // the rest value when the entry is gone), keeping its class.
    template <typename ChangeValue>
    void changeEntry(ChangeValue&& change)
    {
        const std::string& key = pickKey();
        const std::shared_ptr<RgData> original = currentOrRestValue(key);
        std::shared_ptr<RgData> changed;
        forEachValueClass([&](auto* classTag) {
            using Value = std::remove_pointer_t<decltype(classTag)>;
            if (const auto typed = std::dynamic_pointer_cast<Value>(original)) {
                auto copy = std::make_shared<Value>(*typed);
                change(*copy);
                changed = copy;
            }
        });
        if (changed)
            current.attributes[key] = changed;
    }

    // An eye's field takes the other eye's value: shared vertices, one sphere
    // for both eyes, lists sized for the other eye.
    void copyFromOtherEye(const std::string& key)
    {
        static const std::string left = eyeAttributeKey(EyeSide::Left, "");
        static const std::string right = eyeAttributeKey(EyeSide::Right, "");
        std::string otherKey = key;
        if (key.compare(0, left.size(), left) == 0)
            otherKey.replace(0, left.size(), right);
        else if (key.compare(0, right.size(), right) == 0)
            otherKey.replace(0, right.size(), left);
        else
            return;
        const auto other = current.attributes.find(otherKey);
        if (other == current.attributes.end())
            current.attributes.erase(key);
        else
            current.attributes[key] = other->second;
    }

    void copyFromOtherKey()
    {
        const std::string& key = pickKey();
        current.attributes[key] = currentOrRestValue(pickKey());
    }

    // A value of a class picked by the bytes, sometimes with contents.
    std::shared_ptr<RgData> valueOfAnyClass()
    {
        const int wanted = bytes.ConsumeIntegralInRange(0, kValueClassCount - 1);
        const bool filled = bytes.ConsumeBool();
        int index = 0;
        std::shared_ptr<RgData> made;
        forEachValueClass([&](auto* classTag) {
            using Value = std::remove_pointer_t<decltype(classTag)>;
            if (index++ != wanted)
                return;
            auto value = std::make_shared<Value>();
            if (filled) {
                fuzzElement(value->value);
                resizeList(value->values);
            }
            made = value;
        });
        return made;
    }

    float fuzzedEnvelope()
    {
        constexpr float threshold = 0.00001f;
        return bytes.PickValueInArray<float>({0.0f, -1.0f, 1.0f, 2.0f, threshold, std::nextafter(threshold, 1.0f),
                                              std::numeric_limits<float>::quiet_NaN(),
                                              std::numeric_limits<float>::infinity(),
                                              static_cast<float>(fuzzedDouble())});
    }

    double fuzzedDouble()
    {
        switch (bytes.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return bytes.PickValueInArray<double>(
                {0.0, -0.0, 1.0, -1.0, 0.5, 25.0, -25.0, std::numeric_limits<double>::quiet_NaN(),
                 std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                 std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest(),
                 std::numeric_limits<double>::denorm_min()});
        case 1: return bytes.ConsumeFloatingPointInRange(-2.0, 2.0);
        default: return bytes.ConsumeFloatingPoint<double>();
        }
    }

    // Indices near the edges of the points matter most: inside, just past the
    // end, negative (-1 also marks skipped soft-region entries), extreme.
    std::int32_t fuzzedIndex()
    {
        const auto pointCount = static_cast<std::int32_t>(current.data.points.size());
        switch (bytes.ConsumeIntegralInRange(0, 4)) {
        case 0: return bytes.ConsumeIntegralInRange<std::int32_t>(0, std::max(pointCount - 1, 0));
        case 1: return pointCount;
        case 2: return -1;
        case 3:
            return bytes.PickValueInArray<std::int32_t>(
                {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), -2, 0, 1});
        default: return bytes.ConsumeIntegral<std::int32_t>();
        }
    }

    void fuzzElement(bool& element) { element = bytes.ConsumeBool(); }
    void fuzzElement(std::int32_t& element) { element = fuzzedIndex(); }
    void fuzzElement(float& element) { element = static_cast<float>(fuzzedDouble()); }
    void fuzzElement(double& element) { element = fuzzedDouble(); }
    void fuzzElement(std::string& element) { element = bytes.ConsumeRandomLengthString(32); }
    void fuzzElement(void*& element) { element = reinterpret_cast<void*>(bytes.ConsumeIntegral<std::uintptr_t>()); }

    void fuzzElement(V3d& element)
    {
        const int axis = bytes.ConsumeIntegralInRange(0, 3);
        for (int a = 0; a < 3; ++a)
            if (axis == 3 || axis == a)
                element[a] = fuzzedDouble();
    }

    // A null surface, either eye's sphere, or a surface of fuzzed shape.
    void fuzzElement(MObject& element)
    {
        switch (bytes.ConsumeIntegralInRange(0, 2)) {
        case 0: element = MObject(); break;
        case 1: element = eyeSphere(bytes.ConsumeBool() ? EyeSide::Left : EyeSide::Right); break;
        case 2: element = fuzzedSurface(); break;
        }
    }

    MObject eyeSphere(EyeSide side) const
    {
        const auto sphere =
            std::dynamic_pointer_cast<RgNurbsSurface>(currentOrRestValue(eyeFieldKey(side, eyeField::nurbsSphere)));
        return sphere ? sphere->value : MObject();
    }

    // Small surfaces of any degree, form and weights over clamped uniform
    // knots, one knot possibly moved; those the stand-in refuses stay null.
    MObject fuzzedSurface()
    {
        mayastandin::NurbsSurfaceDescription surface;
        surface.degreeU = bytes.ConsumeIntegralInRange(1, 3);
        surface.degreeV = bytes.ConsumeIntegralInRange(1, 3);
        surface.cvCountU = bytes.ConsumeIntegralInRange(1, 6);
        surface.cvCountV = bytes.ConsumeIntegralInRange(1, 6);
        surface.periodicU = bytes.ConsumeBool();
        surface.periodicV = bytes.ConsumeBool();
        surface.knotsU = clampedUniformKnots(surface.cvCountU, surface.degreeU);
        surface.knotsV = clampedUniformKnots(surface.cvCountV, surface.degreeV);
        setListEntry(bytes.ConsumeBool() ? surface.knotsU : surface.knotsV);
        for (int cv = 0; cv < surface.cvCountU * surface.cvCountV; ++cv)
            surface.cvs.emplace_back(
                bytes.ConsumeFloatingPointInRange(-2.0, 2.0), bytes.ConsumeFloatingPointInRange(-2.0, 2.0),
                bytes.ConsumeFloatingPointInRange(-2.0, 2.0), bytes.ConsumeBool() ? 1.0 : fuzzedDouble());
        try {
            return mayastandin::makeNurbsSurface(surface);
        } catch (const std::invalid_argument&) {
            return MObject();
        }
    }

    static std::vector<double> clampedUniformKnots(int cvCount, int degree)
    {
        const int spans = std::max(cvCount - degree, 1);
        std::vector<double> knots;
        for (int k = 0; k < cvCount + degree + 1; ++k)
            knots.push_back(std::clamp(k - degree, 0, spans));
        return knots;
    }

    void fuzzElement(NurbsCurveData& curve)
    {
        switch (bytes.ConsumeIntegralInRange(0, 5)) {
        case 0:
            curve.degree = bytes.PickValueInArray<std::int32_t>({-1, 0, 1, 2, 3, 4, 7, 15, 16,
                                                                 std::numeric_limits<std::int32_t>::max(),
                                                                 std::numeric_limits<std::int32_t>::min()});
            break;
        case 1: resizeList(curve.knots); break;
        case 2: resizeList(curve.cvs); break;
        case 3: setListEntry(curve.knots); break;
        case 4: setListEntry(curve.cvs); break;
        case 5: makeWellFormed(curve); break;
        }
    }

    // A clamped uniform knot vector that fits the CVs at a picked degree, so the
    // curve evaluation itself runs at other degrees than the rigs use.
    void makeWellFormed(NurbsCurveData& curve)
    {
        curve.degree = bytes.ConsumeIntegralInRange<std::int32_t>(1, 6);
        const std::size_t degree = static_cast<std::size_t>(curve.degree);
        const std::size_t cvCount = std::max(curve.cvs.size(), degree + 1);
        curve.cvs.resize(cvCount, curve.cvs.empty() ? V3d(0.0) : curve.cvs.back());
        curve.knots.assign(cvCount + degree + 1, 0.0f);
        const std::size_t spans = cvCount - degree;
        for (std::size_t k = degree + 1; k < curve.knots.size(); ++k)
            curve.knots[k] = static_cast<float>(std::min(k - degree, spans)) / static_cast<float>(spans);
    }

    // vector<bool> hands out proxies, hence the copy in and out of `element`.
    template <typename Element>
    void setListEntry(std::vector<Element>& list)
    {
        if (list.empty())
            return;
        const std::size_t position = bytes.ConsumeIntegralInRange<std::size_t>(0, list.size() - 1);
        Element element = list[position];
        fuzzElement(element);
        list[position] = element;
    }

    // Shorter, longer or empty; grown with copies of existing entries (lists
    // that still look right) or with fuzzed ones.
    template <typename Element>
    void resizeList(std::vector<Element>& list)
    {
        const std::size_t size = list.size();
        std::size_t newSize = 0;
        switch (bytes.ConsumeIntegralInRange(0, 4)) {
        case 0: newSize = 0; break;
        case 1: newSize = size == 0 ? 0 : size - 1; break;
        case 2: newSize = size + 1; break;
        case 3: newSize = std::min(2 * size + 1, kLongestList); break;
        default: newSize = bytes.ConsumeIntegralInRange<std::size_t>(0, kLongestList); break;
        }
        const bool copies = size > 0 && bytes.ConsumeBool();
        list.resize(newSize);
        for (std::size_t position = size; position < newSize; ++position) {
            Element element = copies ? list[bytes.ConsumeIntegralInRange<std::size_t>(0, size - 1)] : Element{};
            if (!copies)
                fuzzElement(element);
            list[position] = element;
        }
    }

    template <typename Element>
    void changeList(std::vector<Element>& list, const std::vector<Element>& restList)
    {
        switch (bytes.ConsumeIntegralInRange(0, 2)) {
        case 0: resizeList(list); break;
        case 1: setListEntry(list); break;
        case 2: list = restList; break;
        }
    }

    void changeMatrix()
    {
        Imath::M44d& matrix = current.data.geometryMatrix;
        switch (bytes.ConsumeIntegralInRange(0, 2)) {
        case 0: matrix[bytes.ConsumeIntegralInRange(0, 3)][bytes.ConsumeIntegralInRange(0, 3)] = fuzzedDouble(); break;
        case 1: matrix = Imath::M44d(0.0); break; // singular
        case 2: matrix = rest.data.geometryMatrix; break;
        }
    }
};

} // namespace

void mutateDeformCase(FuzzedDataProvider& bytes, const DeformCase& rest, DeformCase& deformCase)
{
    Mutator{bytes, rest, deformCase}.apply();
}

void keepCallShort(DeformCase& deformCase)
{
    for (const EyeSide side : kEyeSides) {
        const auto entry = deformCase.attributes.find(eyeFieldKey(side, eyeField::smoothOuter));
        if (entry == deformCase.attributes.end())
            continue;
        const auto passes = std::dynamic_pointer_cast<RgInt>(entry->second);
        if (!passes || std::abs(static_cast<std::int64_t>(passes->value)) <= kMostSmoothingPasses)
            continue;
        auto folded = std::make_shared<RgInt>(*passes);
        folded->value %= kMostSmoothingPasses + 1;
        entry->second = folded;
    }
}
