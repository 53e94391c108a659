#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "io/RigFileReader.h"
#include "io/RigFileWriter.h"
#include "rg/RgValueFactory.h"

namespace {

mayastandin::NurbsSurfaceDescription periodicPatch()
{
    mayastandin::NurbsSurfaceDescription surface;
    surface.degreeU = 1;
    surface.degreeV = 1;
    surface.cvCountU = 2;
    surface.cvCountV = 3;
    surface.knotsU = {0, 0, 1, 1};
    surface.knotsV = {-1, 0, 1, 2, 3};
    surface.cvs = {Imath::V4d(0, 0, 0, 1), Imath::V4d(0, 1, 0, 0.5), Imath::V4d(0, 0, 0, 1),
                   Imath::V4d(1, 0, 0, 1), Imath::V4d(1, 1, 1, 2),   Imath::V4d(1, 0, 0, 1)};
    surface.periodicV = true;
    surface.worldMatrix = Imath::M44d().setTranslation(Imath::V3d(0.1, 0.2, 0.3));
    return surface;
}

// Numbers whose shortest spelling needs all 17 digits, or that sit at the edges of double and float.
const std::vector<double> awkwardNumbers = {0.1,  1.0 / 3.0,         2.0 / 3.0, 5e-324, 1.7976931348623157e308,
                                            -0.0, 123456789.12345678};

rghost::Rig richRig()
{
    rghost::Rig rig;
    rig.nodeName = "eye\"Rig\"1";
    rig.attributes["bool"] = makeRgValue<RgBoolean>(true, {false, true});
    rig.attributes["int"] = makeRgValue<RgInt>(-7, {std::numeric_limits<std::int32_t>::min()});
    rig.attributes["float"] = makeRgValue<RgFloat>(0.1f, {std::numeric_limits<float>::max(), 1e-45f});
    rig.attributes["double"] = makeRgValue<RgDouble>(1.0 / 3.0, awkwardNumbers);
    rig.attributes["vector"] = makeRgValue<RgVector>(Imath::V3d(0.1, 0.2, 0.3), {Imath::V3d(1e-300, -2, 3)});
    rig.attributes["string"] = makeRgValue<RgString>("line\nbreak \xc3\xa9", {"a", ""});
    rig.attributes["pointer"] = makeRgValue<RgPtr>(reinterpret_cast<void*>(std::uintptr_t{0xdeadbeef}), {nullptr});
    rig.attributes["curve"] = makeRgValue<RgNurbsCurve>(NurbsCurveData{{Imath::V3d(1, 2, 3)}, {0.1f, 0.2f}, 3});
    rig.attributes["surface"] = makeRgValue<RgNurbsSurface>(rghost::addSurface(rig, periodicPatch()));
    rig.attributes["emptySurface"] = makeRgValue<RgNurbsSurface>(MObject());
    rig.attributes["null"] = nullptr;
    rig.geometry.geometry = false;
    rig.geometry.points = {Imath::V3d(0.1, 1.0 / 3.0, -5e-324), Imath::V3d(1, 2, 3), Imath::V3d(4, 5, 6)};
    rig.geometry.geometryMatrix = Imath::M44d().setTranslation(Imath::V3d(1.0 / 3.0, 0, 0));
    rig.geometry.weights = {0.1f, 1.5f, -0.5f};
    rig.faces = {{0, 1, 2}};
    rghost::RigFrame frame;
    frame.overrides["int"] = makeRgValue<RgInt>(8);
    frame.removedKeys = {"bool"};
    rig.frames = {frame, rghost::RigFrame{}};
    rig.startFrame = -1001;
    return rig;
}

bool sameBits(double a, double b)
{
    return std::signbit(a) == std::signbit(b) && a == b;
}

TEST(RigFileWriter, WritesWhatTheReaderReadsBack)
{
    const rghost::Rig written = richRig();
    hosttest::TemporaryDirectory directory;
    rghost::writeRigFile(written, directory.file("rig.json"));
    const rghost::Rig read = rghost::readRigFile(directory.file("rig.json"));

    // Writing what was read gives the same text, so nothing drifts; the checks
    // below make sure that nothing the two passes agree on was dropped either.
    EXPECT_EQ(rghost::formatRig(read), rghost::formatRig(written));

    const auto& doubles = dynamic_cast<const RgDouble&>(*read.attributes.at("double")).values;
    ASSERT_EQ(doubles.size(), awkwardNumbers.size());
    for (std::size_t i = 0; i < doubles.size(); ++i) {
        EXPECT_TRUE(sameBits(doubles[i], awkwardNumbers[i])) << awkwardNumbers[i];
    }
    EXPECT_EQ(dynamic_cast<const RgFloat&>(*read.attributes.at("float")).values,
              dynamic_cast<const RgFloat&>(*written.attributes.at("float")).values);
    EXPECT_EQ(dynamic_cast<const RgString&>(*read.attributes.at("string")).value, "line\nbreak \xc3\xa9");
    EXPECT_EQ(read.attributes.at("null"), nullptr);

    ASSERT_EQ(read.surfaces.size(), 1u);
    EXPECT_EQ(read.surfaces[0].surface, dynamic_cast<const RgNurbsSurface&>(*read.attributes.at("surface")).value);
    EXPECT_EQ(read.surfaces[0].description.cvs, periodicPatch().cvs);
    EXPECT_TRUE(read.surfaces[0].description.periodicV);
    EXPECT_EQ(read.surfaces[0].description.worldMatrix, periodicPatch().worldMatrix);

    EXPECT_FALSE(read.geometry.geometry);
    EXPECT_EQ(read.geometry.points, written.geometry.points);
    EXPECT_EQ(read.geometry.geometryMatrix, written.geometry.geometryMatrix);
    EXPECT_EQ(read.geometry.weights, written.geometry.weights);
    EXPECT_EQ(read.faces, written.faces);
    ASSERT_EQ(rghost::frameCount(read), 2u);
    EXPECT_EQ(read.startFrame, -1001);
    EXPECT_EQ(rghost::frameAttributes(read, 0).count("bool"), 0u);
    EXPECT_EQ(rghost::frameAttributes(read, 1).size(), written.attributes.size());
}

TEST(RigFileWriter, RefusesWhatTheFormatCannotHold)
{
    const auto messageOf = [](const rghost::Rig& rig) {
        try {
            rghost::formatRig(rig);
        } catch (const std::invalid_argument& error) {
            return std::string(error.what());
        }
        return std::string("(written)");
    };
    rghost::Rig infinite = richRig();
    infinite.attributes["double"] = makeRgValue<RgDouble>(std::numeric_limits<double>::infinity());
    EXPECT_EQ(messageOf(infinite), "cannot write attribute \"double\": a number is not finite");

    rghost::Rig unknownSurface = richRig();
    unknownSurface.surfaces.clear();
    EXPECT_EQ(messageOf(unknownSurface),
              "cannot write attribute \"surface\": its surface is not recorded in the rig's surfaces");

    rghost::Rig curveList = richRig();
    curveList.attributes["curve"] = makeRgValue<RgNurbsCurve>(NurbsCurveData{}, {NurbsCurveData{}});
    EXPECT_EQ(messageOf(curveList), "cannot write attribute \"curve\": RgNurbsCurve values cannot hold a list");

    rghost::Rig badPoint = richRig();
    badPoint.geometry.points[1].y = std::nan("");
    EXPECT_EQ(messageOf(badPoint), "cannot write the geometry: a number is not finite");

    hosttest::TemporaryDirectory directory;
    EXPECT_THROW(rghost::writeRigFile(badPoint, directory.file("rig.json")), std::invalid_argument);
    EXPECT_TRUE(std::filesystem::is_empty(directory.path()));
}

} // namespace
