#include <cstdint>
#include <limits>

#include <gtest/gtest.h>
#include <maya/MFnNurbsSurface.h>

#include "HostTestSupport.h"
#include "io/RigFileReader.h"

namespace {

using hosttest::json;
using hosttest::typedValue;

template <typename Data>
std::shared_ptr<Data> attribute(const AttributeMap& attributes, const std::string& key)
{
    const auto found = attributes.find(key);
    EXPECT_NE(found, attributes.end()) << key;
    return found == attributes.end() ? nullptr : std::dynamic_pointer_cast<Data>(found->second);
}

TEST(RigFileReader, FillsTheDefaultsOfOptionalFields)
{
    json document = hosttest::threePointRig();
    document.erase("node");
    const rghost::Rig rig = rghost::parseRig(document.dump());

    EXPECT_EQ(rig.nodeName, "rgNode1");
    EXPECT_TRUE(rig.geometry.geometry);
    EXPECT_EQ(rig.geometry.geometryMatrix, Imath::M44d());
    EXPECT_EQ(rig.geometry.weights, std::vector<float>(3, 1.0f));
    EXPECT_TRUE(rig.faces.empty());
    EXPECT_EQ(rghost::frameCount(rig), 1u);
    EXPECT_EQ(rig.startFrame, 0);
}

TEST(RigFileReader, ReadsTheGeometryRecord)
{
    json document = hosttest::threePointRig();
    document["geometry"]["enabled"] = false;
    document["geometry"]["matrix"] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    document["geometry"]["weights"] = {0.5, -0.25, 1.5};
    document["geometry"]["faces"] = {{0, 1, 2}, {2, 1, 0}};
    const rghost::Rig rig = rghost::parseRig(document.dump());

    EXPECT_FALSE(rig.geometry.geometry);
    EXPECT_EQ(rig.geometry.points[2], Imath::V3d(-1.0, 0.5, 2.25));
    // Row-major, so the translation row is the fourth.
    EXPECT_EQ(rig.geometry.geometryMatrix[0][1], 2.0);
    EXPECT_EQ(rig.geometry.geometryMatrix[3][0], 13.0);
    EXPECT_EQ(rig.geometry.weights, (std::vector<float>{0.5f, -0.25f, 1.5f}));
    EXPECT_EQ(rig.faces, (std::vector<std::vector<std::int32_t>>{{0, 1, 2}, {2, 1, 0}}));
}

TEST(RigFileReader, ReadsEveryValueClass)
{
    json document = hosttest::threePointRig();
    document["attributes"] = {
        {"bool", {{"type", "RgBoolean"}, {"value", true}, {"values", {false, true}}}},
        {"int", {{"type", "RgInt"}, {"value", -2147483648LL}, {"values", {2147483647LL, 0}}}},
        {"float", {{"type", "RgFloat"}, {"value", 0.1}, {"values", {3.4028234663852886e38}}}},
        {"double", {{"type", "RgDouble"}, {"value", 0.1}, {"values", {5e-324, -1}}}},
        {"vector", {{"type", "RgVector"}, {"value", {1, 2, 3}}, {"values", {{4, 5, 6}}}}},
        {"string", {{"type", "RgString"}, {"value", "caf\u00e9"}, {"values", {"", "x"}}}},
        {"pointer", {{"type", "RgPtr"}, {"value", 4096}, {"values", {nullptr, 0, 18446744073709551615ULL}}}},
        {"curve", typedValue("RgNurbsCurve", {{"cvs", {{0, 1, 2}}}, {"knots", {0, 0.1}}, {"degree", 1}})},
        {"surface", typedValue("RgNurbsSurface", hosttest::bilinearPatch())},
        {"noSurface", typedValue("RgNurbsSurface", nullptr)},
        {"zeroVector", {{"type", "RgVector"}}},
    };
    const rghost::Rig rig = rghost::parseRig(document.dump());
    const AttributeMap& a = rig.attributes;

    EXPECT_TRUE(attribute<RgBoolean>(a, "bool")->value);
    EXPECT_EQ(attribute<RgBoolean>(a, "bool")->values, (std::vector<bool>{false, true}));
    EXPECT_EQ(attribute<RgInt>(a, "int")->value, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(attribute<RgInt>(a, "int")->values,
              (std::vector<std::int32_t>{std::numeric_limits<std::int32_t>::max(), 0}));
    EXPECT_EQ(attribute<RgFloat>(a, "float")->value, 0.1f);
    EXPECT_EQ(attribute<RgFloat>(a, "float")->values, std::vector<float>{std::numeric_limits<float>::max()});
    EXPECT_EQ(attribute<RgDouble>(a, "double")->value, 0.1);
    EXPECT_EQ(attribute<RgDouble>(a, "double")->values, (std::vector<double>{5e-324, -1.0}));
    EXPECT_EQ(attribute<RgVector>(a, "vector")->value, Imath::V3d(1, 2, 3));
    EXPECT_EQ(attribute<RgVector>(a, "vector")->values, std::vector<Imath::V3d>{Imath::V3d(4, 5, 6)});
    EXPECT_EQ(attribute<RgString>(a, "string")->value, "caf\xc3\xa9");
    EXPECT_EQ(attribute<RgString>(a, "string")->values, (std::vector<std::string>{"", "x"}));
    EXPECT_EQ(attribute<RgPtr>(a, "pointer")->value, reinterpret_cast<void*>(std::uintptr_t{4096}));
    EXPECT_EQ(attribute<RgPtr>(a, "pointer")->values,
              (std::vector<void*>{nullptr, nullptr, reinterpret_cast<void*>(~std::uintptr_t{0})}));

    const NurbsCurveData& curve = attribute<RgNurbsCurve>(a, "curve")->value;
    EXPECT_EQ(curve.cvs, std::vector<Imath::V3d>{Imath::V3d(0, 1, 2)});
    EXPECT_EQ(curve.knots, (std::vector<float>{0.0f, 0.1f}));
    EXPECT_EQ(curve.degree, 1);

    EXPECT_TRUE(attribute<RgNurbsSurface>(a, "noSurface")->value.isNull());
    EXPECT_EQ(attribute<RgVector>(a, "zeroVector")->value, Imath::V3d(0.0));
    EXPECT_TRUE(attribute<RgVector>(a, "zeroVector")->values.empty());

    const MObject& surface = attribute<RgNurbsSurface>(a, "surface")->value;
    ASSERT_FALSE(surface.isNull());
    ASSERT_EQ(rig.surfaces.size(), 1u);
    EXPECT_EQ(rig.surfaces[0].surface, surface);
    MPoint corner;
    ASSERT_FALSE(MFnNurbsSurface(surface).getPointAtParam(1.0, 1.0, corner, MSpace::kWorld).error());
    EXPECT_DOUBLE_EQ(corner.x, 11.0);
    EXPECT_DOUBLE_EQ(corner.y, 21.0);
    EXPECT_DOUBLE_EQ(corner.z, 31.0);
    ASSERT_FALSE(MFnNurbsSurface(surface).getPointAtParam(1.0, 0.0, corner, MSpace::kObject).error());
    EXPECT_DOUBLE_EQ(corner.x, 1.0); // CV (1, 0) is entry 2: u-major order
    EXPECT_DOUBLE_EQ(corner.y, 0.0);
}

TEST(RigFileReader, KeepsABaseNullAsAnEntryHoldingAnEmptyPointer)
{
    json document = hosttest::threePointRig();
    document["attributes"]["ENVELOPE"] = nullptr;
    const rghost::Rig rig = rghost::parseRig(document.dump());

    ASSERT_EQ(rig.attributes.count("ENVELOPE"), 1u);
    EXPECT_EQ(rig.attributes.at("ENVELOPE"), nullptr);
}

TEST(RigFileReader, OverlaysEachFrameOnTheBaseAttributes)
{
    json document = hosttest::threePointRig();
    document["attributes"] = {{"A", typedValue("RgInt", 1)}, {"B", typedValue("RgInt", 2)}, {"N", nullptr}};
    document["frames"] = {{{"attributes", {{"A", typedValue("RgInt", 10)}, {"B", nullptr}}}},
                          {{"attributes", {{"C", typedValue("RgInt", 3)}, {"N", nullptr}}}},
                          json::object()};
    const rghost::Rig rig = rghost::parseRig(document.dump());
    ASSERT_EQ(rghost::frameCount(rig), 3u);

    const AttributeMap first = rghost::frameAttributes(rig, 0);
    EXPECT_EQ(attribute<RgInt>(first, "A")->value, 10);
    EXPECT_EQ(first.count("B"), 0u);
    EXPECT_EQ(first.count("N"), 1u);

    const AttributeMap second = rghost::frameAttributes(rig, 1);
    EXPECT_EQ(attribute<RgInt>(second, "A")->value, 1);
    EXPECT_EQ(attribute<RgInt>(second, "B")->value, 2);
    EXPECT_EQ(attribute<RgInt>(second, "C")->value, 3);
    EXPECT_EQ(second.count("N"), 0u);

    const AttributeMap third = rghost::frameAttributes(rig, 2);
    EXPECT_EQ(third.size(), 3u);
    EXPECT_EQ(third.at("A"), rig.attributes.at("A"));

    EXPECT_THROW(rghost::frameAttributes(rig, 3), std::out_of_range);
}

TEST(RigFileReader, IgnoresUnknownTopLevelFields)
{
    json document = hosttest::threePointRig();
    document["generator"] = {{"name", "tool"}, {"attributes", {{"x", {1, 2}}}}};
    document["comment"] = nullptr;
    EXPECT_EQ(rghost::parseRig(document.dump()).nodeName, "testRig1");
}

} // namespace
