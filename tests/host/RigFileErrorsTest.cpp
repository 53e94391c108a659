#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "io/RigFileReader.h"

namespace {

using hosttest::json;
using hosttest::typedValue;

std::string errorOf(const std::string& text)
{
    try {
        rghost::parseRig(text);
    } catch (const rghost::RigFileError& error) {
        return error.what();
    }
    return "(accepted)";
}

json surfaceWith(const std::string& field, json value)
{
    json surface = hosttest::bilinearPatch();
    surface[field] = std::move(value);
    return typedValue("RgNurbsSurface", surface);
}

struct Fault {
    const char* pointer; // where the three-point rig is changed
    json value;          // the new value there; a discarded value removes the field
    const char* message;
};

TEST(RigFileReader, NamesThePathOfEveryFault)
{
    const json removed = json::value_t::discarded;
    const std::vector<Fault> faults = {
        {"", json::array(), "document: expected an object, got array"},
        {"/format", removed, "format: missing"},
        {"/format", 1, "format: expected \"rg-rig/1\", got 1"},
        {"/node", 7, "node: expected a string, got number"},
        {"/attributes", removed, "attributes: missing"},
        {"/attributes", json::array(), "attributes: expected an object, got array"},
        {"/attributes/E", 3, "attributes.\"E\": expected an object, got number"},
        {"/attributes/E", {{"value", 1}}, "attributes.\"E\".type: missing"},
        {"/attributes/E", {{"type", "RgDouble"}, {"valeu", 1}}, "attributes.\"E\".valeu: unknown field"},
        {"/attributes/E", typedValue("RgMatrix", 1), "attributes.\"E\".type: unknown value type \"RgMatrix\""},
        {"/attributes/E", typedValue("RgBoolean", 1), "attributes.\"E\".value: expected true or false, got number"},
        {"/attributes/E", typedValue("RgInt", 1.5), "attributes.\"E\".value: expected an integer, got number"},
        {"/attributes/E", typedValue("RgInt", -2147483649LL),
         "attributes.\"E\".value: -2147483649 is outside the 32-bit signed integer range"},
        {"/attributes/E",
         {{"type", "RgInt"}, {"values", {0, 18446744073709551615ULL}}},
         "attributes.\"E\".values[1]: 18446744073709551615 is outside the 32-bit signed integer range"},
        {"/attributes/E", typedValue("RgInt", std::numeric_limits<std::int64_t>::min()),
         "attributes.\"E\".value: -9223372036854775808 is outside the 32-bit signed integer range"},
        {"/attributes/E", typedValue("RgDouble", "1"), "attributes.\"E\".value: expected a number, got string"},
        {"/attributes/E", typedValue("RgFloat", -1e39),
         "attributes.\"E\".value: -1e+39 is outside the range of a 32-bit float"},
        {"/attributes/E", typedValue("RgString", false), "attributes.\"E\".value: expected a string, got boolean"},
        {"/attributes/E", typedValue("RgPtr", -1), "attributes.\"E\".value: -1 is negative"},
        {"/attributes/E", typedValue("RgPtr", 0.5),
         "attributes.\"E\".value: expected a non-negative integer, got number"},
        {"/attributes/E", typedValue("RgVector", {1, 2}),
         "attributes.\"E\".value: expected [x, y, z], got a list of 2 elements"},
        {"/attributes/E",
         {{"type", "RgVector"}, {"values", {{1, 2, 3}, {1, 2, "3"}}}},
         "attributes.\"E\".values[1][2]: expected a number, got string"},
        {"/attributes/E", {{"type", "RgInt"}, {"values", 1}}, "attributes.\"E\".values: expected a list, got number"},
        {"/attributes/E", typedValue("RgNurbsCurve", nullptr), "attributes.\"E\".value: expected an object, got null"},
        {"/attributes/E", typedValue("RgNurbsCurve", {{"cvs", json::array()}, {"knots", json::array()}}),
         "attributes.\"E\".value.degree: missing"},
        {"/attributes/E", typedValue("RgNurbsCurve", {{"cvs", json::array()}, {"knots", {1e40}}, {"degree", 1}}),
         "attributes.\"E\".value.knots[0]: 1e+40 is outside the range of a 32-bit float"},
        {"/attributes/E",
         {{"type", "RgNurbsSurface"}, {"values", json::array()}},
         "attributes.\"E\".values: not supported for RgNurbsSurface"},
        {"/attributes/E", surfaceWith("cvs", {{0, 0, 0}}),
         "attributes.\"E\".value.cvs: holds 1 control points but cvCountU * cvCountV is 4"},
        {"/attributes/E", surfaceWith("cvCountU", -2), "attributes.\"E\".value.cvCountU: -2 is negative"},
        {"/attributes/E", surfaceWith("formU", "closed"),
         "attributes.\"E\".value.formU: expected \"open\" or \"periodic\", got \"closed\""},
        {"/attributes/E", surfaceWith("worldMatrix", {1, 2}),
         "attributes.\"E\".value.worldMatrix: expected 16 numbers, got a list of 2 elements"},
        {"/attributes/E", surfaceWith("cvs", {{0, 0, 0}, {0, 1, 0}, {1, 0}, {1, 1, 0}}),
         "attributes.\"E\".value.cvs[2]: expected [x, y, z] or [x, y, z, w], got a list of 2 elements"},
        {"/attributes/a.b \"c\"", typedValue("RgInt", "x"),
         "attributes.\"a.b \\\"c\\\"\".value: expected an integer, got string"},
        {"/geometry", removed, "geometry: missing"},
        {"/geometry/points", removed, "geometry.points: missing"},
        {"/geometry/points/1", {1, 2, 3, 4}, "geometry.points[1]: expected [x, y, z], got a list of 4 elements"},
        {"/geometry/enabled", "yes", "geometry.enabled: expected true or false, got string"},
        {"/geometry/matrix", json::array(), "geometry.matrix: expected 16 numbers, got a list of 0 elements"},
        {"/geometry/weights", {1, 1, 1, 1}, "geometry.weights: holds 4 numbers but geometry.points holds 3 points"},
        {"/geometry/weights", {1, 1e300, 1}, "geometry.weights[1]: 1e+300 is outside the range of a 32-bit float"},
        {"/geometry/faces", {{0, 1}}, "geometry.faces[0]: a face needs at least 3 points, got 2"},
        {"/geometry/faces",
         {{0, 1, 2}, {0, 1, 3}},
         "geometry.faces[1][2]: point index 3 is outside geometry.points (3 points)"},
        {"/geometry/faces", {{0, -1, 2}}, "geometry.faces[0][1]: point index -1 is outside geometry.points (3 points)"},
        {"/geometry/normals", json::array(), "geometry.normals: unknown field"},
        {"/frames", json::object(), "frames: expected a list, got object"},
        {"/frames",
         {{{"attributes", {{"K", typedValue("RgInt", 1)}}}}, {{"atributes", json::object()}}},
         "frames[1].atributes: unknown field"},
        {"/frames",
         {{{"attributes", {{"K", typedValue("RgInt", 1)}}}}, {{"attributes", {{"K", typedValue("RgInt", true)}}}}},
         "frames[1].attributes.\"K\".value: expected an integer, got boolean"},
    };
    for (const Fault& fault : faults) {
        json document = hosttest::threePointRig();
        const json::json_pointer pointer(fault.pointer);
        if (fault.value.is_discarded()) {
            document[pointer.parent_pointer()].erase(pointer.back());
        } else {
            document[pointer] = fault.value;
        }
        EXPECT_EQ(errorOf(document.dump()), fault.message) << "at " << fault.pointer;
    }
}

TEST(RigFileReader, RefusesEveryHostileFileWithItsMessage)
{
    const std::filesystem::path directory = std::filesystem::path(LIDSHAPER_SOURCE_DIR) / "tests" / "data" / "bad";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().extension() != ".json") {
            continue;
        }
        std::filesystem::path messageFile = entry.path();
        messageFile.replace_extension(".message");
        ASSERT_TRUE(std::filesystem::exists(messageFile)) << messageFile;
        std::string expected = hosttest::readTextFile(messageFile);
        expected.erase(expected.find_last_not_of('\n') + 1);

        try {
            rghost::readRigFile(entry.path().string());
            ADD_FAILURE() << entry.path() << " was accepted";
        } catch (const rghost::RigFileError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind(expected, 0), 0u) << entry.path() << "\n  got: " << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << entry.path();
        }
        ++count;
    }
    EXPECT_EQ(count, 12);
}

TEST(RigFileReader, RefusesATenMillionNumberListQuickly)
{
    std::string text = R"({"format": "rg-rig/1", "attributes": {}, "geometry": {"points": [[0, 0, 0]], "weights": [)";
    text.reserve(text.size() + 20'000'000 + 16);
    for (int i = 0; i < 10'000'000; ++i) {
        text += i == 0 ? "1" : ",1";
    }
    text += "]}}";

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorOf(text), "geometry.weights: holds 10000000 numbers but geometry.points holds 1 points");
    // Generous enough for sanitizer builds; a quadratic or runaway reader takes minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(90));
}

TEST(RigFileReader, RefusesDeepNestingWithoutRecursing)
{
    const auto nested = [](std::size_t depth) {
        return R"({"format": "rg-rig/1", "attributes": {}, "geometry": {"points": []}, "extra": )" +
               std::string(depth, '[') + std::string(depth, ']') + "}";
    };
    // The document object holds the outermost list, so 63 lists make 64 levels.
    EXPECT_EQ(errorOf(nested(63)), "(accepted)");
    const std::string message = errorOf(nested(100'000));
    EXPECT_EQ(message.rfind("extra[0]", 0), 0u) << message;
    EXPECT_NE(message.find(": nested deeper than 64 levels"), std::string::npos) << message;
}

} // namespace
