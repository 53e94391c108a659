#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RghostProcess.h"

namespace {

using hosttest::json;
using hosttest::ProcessRun;
using hosttest::typedValue;

class RghostCli : public ::testing::Test {
protected:
    ProcessRun rghost(const std::vector<std::string>& arguments) const
    {
        return hosttest::runRghost(arguments, scratch);
    }

    std::string rigFile(const json& rig, const std::string& name = "rig.json") const
    {
        const std::string path = work.file(name);
        hosttest::writeTextFile(path, rig.dump());
        return path;
    }

    hosttest::TemporaryDirectory work;    // rigs and outputs
    hosttest::TemporaryDirectory scratch; // captured streams
};

std::string badFile(const std::string& name)
{
    return (std::filesystem::path(LIDSHAPER_SOURCE_DIR) / "tests" / "data" / "bad" / name).string();
}

TEST_F(RghostCli, DeformWritesTheResultAndExitsZeroWhenEveryFrameSucceeds)
{
    json rig = hosttest::idleRig();
    rig["geometry"]["faces"] = {{0, 1, 2}};
    rig["frames"] = {json::object(), json::object(), json::object()};
    const std::string output = work.file("result.json");
    const ProcessRun run =
        rghost({"deform", rigFile(rig), "-o", output, "--frames", "1:2", "--obj", work.file("meshes")});

    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("\n2 frames, 0 failed; deform "), std::string::npos) << run.err;
    const json result = json::parse(hosttest::readTextFile(output));
    EXPECT_EQ(result["format"], "rg-result/1");
    EXPECT_EQ(result["node"], "testRig1");
    ASSERT_EQ(result["frames"].size(), 2u);
    EXPECT_EQ(result["frames"][0]["frame"], 1);
    EXPECT_EQ(result["frames"][1]["frame"], 2);
    EXPECT_EQ(result["frames"][1]["points"], rig["geometry"]["points"]);

    EXPECT_FALSE(std::filesystem::exists(work.file("meshes/frame.0000.obj")));
    const std::string mesh = hosttest::readTextFile(work.file("meshes/frame.0002.obj"));
    EXPECT_EQ(mesh, "v 0 0 0\nv 1 2 3\nv -1 0.5 2.25\nf 1 2 3\n");
    // A device takes any number of outputs: it is written to, not replaced.
    EXPECT_EQ(rghost({"deform", rigFile(rig), "-o", "/dev/null", "--pc2", "/dev/null"}).exitStatus, 0);
}

TEST_F(RghostCli, DeformExitsOneAndShowsTheNodesLinesOnceWhenFramesFail)
{
    json rig = hosttest::idleRig();
    rig["attributes"].erase("DEBUG_MODE");
    rig["frames"] = {json::object(), json::object(), json::object()};
    const std::string output = work.file("result.json");
    const ProcessRun run = rghost({"deform", rigFile(rig), "-o", output});

    EXPECT_EQ(run.exitStatus, 1);
    const std::string line = "testRig1: get attributes: cannot find 'DEBUG_MODE' (RgInt) attribute";
    EXPECT_EQ(run.err.rfind("frame 0: " + line + "\n", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find(line, run.err.find(line) + 1), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\nframes 1-2: the same error as frame 0\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\n3 frames, 3 failed; "), std::string::npos) << run.err;
    const json result = json::parse(hosttest::readTextFile(output));
    for (const json& frame : result["frames"]) {
        EXPECT_EQ(frame["statusName"], "Failure");
        EXPECT_EQ(frame["errors"], json::array({line}));
    }
}

TEST_F(RghostCli, DeformRefusesBadInputWithStatusTwoAndWritesNothing)
{
    const std::string rig = rigFile(hosttest::idleRig());
    json fractionalStart = hosttest::idleRig();
    fractionalStart["startFrame"] = 1.5;
    const std::string badStart = rigFile(fractionalStart, "bad-start.json");
    const std::string output = work.file("result.json");
    const std::vector<std::vector<std::string>> calls = {
        {"deform", badStart, "-o", output},
        {"deform", rig, "-o", output, "--frames", "5"},
        {"deform", rig, "-o", output, "--frames", "0:2"},
        {"deform", rig, "-o", output, "--preroll", "-1"},
        {"deform", rig, "-o", rig},
        {"deform", rig, "-o", output, "--pc2", output},
        {"deform", rig, "-o", "/dev/full"},
        {"deform", rig, "-o", output, "--pc2", work.file("absent/cache.pc2"), "--mesh", work.file("rest.obj")},
        {"deform", rig, "-o", output, "--pc2", work.path().string()},
        {"deform", rig, "-o", output, "--obj", rig},
        {"deform", badFile("truncated.json"), "-o", output},
        {"deform", badFile("duplicate-attribute-key.json"), "-o", output},
        {"deform", badFile("int-beyond-32-bits.json"), "-o", output},
        {"deform", badFile("surface-knot-count.json"), "-o", output, "--obj", work.file("meshes")},
        {"deform", work.file("absent.json"), "-o", output},
        {"deform", rig, "-o", output, "--frames", "1:0"},
        {"deform", rig, "-o", output, "--frames", "0:1"},
        {"deform", rig, "-o", output, "--frames", "0-0"},
        {"deform", rig, "-o", output, "--plugin", work.file("absent.so")},
        {"deform", rig, "-o", work.file("absent/result.json")},
        {"deform", rig},
        {"deform", rig, "-o", output, "--unknown"},
        {"frobnicate"},
        {},
    };
    for (const auto& call : calls) {
        std::string described;
        for (const std::string& argument : call) {
            described += argument + " ";
        }
        const ProcessRun run = rghost(call);
        EXPECT_EQ(run.exitStatus, 2) << described;
        EXPECT_EQ(run.err.rfind("rghost: ", 0), 0u) << described << "\n" << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << described << "\n" << run.err;
    }
    EXPECT_EQ(rghost({"deform", badFile("weights-wrong-length.json"), "-o", output}).err,
              "rghost: " + badFile("weights-wrong-length.json") +
                  ": geometry.weights: holds 2 numbers but geometry.points holds 3 points\n");

    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(work.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"bad-start.json", "rig.json"}));
    EXPECT_EQ(json::parse(hosttest::readTextFile(rig)), hosttest::idleRig());
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(RghostCli, ChunksWithShortPrerollMergeIntoTheFullRunByteForByte)
{
    json rig = hosttest::idleRig();
    rig["startFrame"] = 1001;
    rig["frames"] = json::array();
    for (int frame = 0; frame < 6; ++frame) {
        rig["frames"].push_back({{"attributes", {{"ENVELOPE", typedValue("RgFloat", frame % 2 == 0 ? 0.0 : 1.0)}}}});
    }
    const std::string rigPath = rigFile(rig);
    ASSERT_EQ(rghost({"deform", rigPath, "-o", work.file("full.json")}).exitStatus, 1);
    const std::string full = hosttest::readTextFile(work.file("full.json"));
    EXPECT_EQ(json::parse(full)["frames"][5]["frame"], 1006);

    const ProcessRun toStdout = rghost({"deform", rigPath, "-o", "-"});
    EXPECT_EQ(toStdout.out, full);
    for (const auto& [frames, chunk] :
         {std::pair{"1001:1002", "a.json"}, std::pair{"1003", "b.json"}, std::pair{"1004:1006", "c.json"}}) {
        rghost({"deform", rigPath, "-o", work.file(chunk), "--frames", frames, "--preroll", "0"});
    }
    const ProcessRun merged = rghost(
        {"merge", work.file("c.json"), work.file("a.json"), work.file("b.json"), "-o", work.file("merged.json")});
    EXPECT_EQ(merged.exitStatus, 0) << merged.err;
    EXPECT_EQ(hosttest::readTextFile(work.file("merged.json")), full);

    rig["node"] = "otherRig1";
    ASSERT_EQ(
        rghost({"deform", rigFile(rig, "other.json"), "-o", work.file("other-b.json"), "--frames", "1003"}).exitStatus,
        0);
    const std::string refused = work.file("refused.json");
    const std::vector<std::vector<std::string>> refusals = {
        {"merge", work.file("a.json"), work.file("other-b.json"), "-o", refused},
        {"merge", work.file("a.json"), work.file("c.json"), "-o", refused},
        {"merge", work.file("a.json"), work.file("b.json"), work.file("full.json"), "-o", refused},
        {"merge", work.file("a.json"), rigPath, "-o", refused},
        {"merge", "-o", refused},
    };
    for (const auto& call : refusals) {
        const ProcessRun run = rghost(call);
        EXPECT_EQ(run.exitStatus, 2) << call[2];
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_FALSE(std::filesystem::exists(refused)) << call[2];
    }
}

TEST_F(RghostCli, ValidateReportsTheNodesVerdict)
{
    // A map with every declared attribute (zero values of the declared class)
    // and the host settings the validation pass reads.
    const ProcessRun schema = rghost({"schema", "--json"});
    ASSERT_EQ(schema.exitStatus, 0) << schema.err;
    json complete = hosttest::idleRig();
    for (const json& attribute : json::parse(schema.out)) {
        complete["attributes"][attribute["key"].get<std::string>()] = {{"type", attribute["typeName"]}};
    }
    for (const char* eye : {"L", "R"}) {
        const std::string prefix = std::string("lidShaper__eyes__") + eye + "_eye__";
        complete["attributes"][prefix + "upperOpenEyeValue"]["value"] = 25.0;
        complete["attributes"][prefix + "lowerOpenEyeValue"]["value"] = -25.0;
    }
    const ProcessRun ok = rghost({"validate", rigFile(complete, "complete.json")});
    EXPECT_EQ(ok.exitStatus, 0) << ok.out << ok.err;
    EXPECT_EQ(ok.out, "ok\n");

    const ProcessRun failed = rghost({"validate", rigFile(hosttest::idleRig(), "idle.json")});
    EXPECT_EQ(failed.exitStatus, 1);
    EXPECT_EQ(failed.out.rfind("frame 0: error: testRig1: ", 0), 0u) << failed.out;

    // Warnings alone pass unless --strict; an unreadable rig is status 2.
    complete["frames"] = {json::object(),
                          {{"attributes", {{"lidShaper__eyes__L_eye__closeLine", typedValue("RgDouble", 1.5)}}}}};
    const std::string warned = rigFile(complete, "warned.json");
    const std::string warning =
        "frame 1: warning: lidShaper__eyes__L_eye__closeLine is outside its useful range -1 to 1 (it is 1.5)\n";
    EXPECT_EQ(rghost({"validate", warned}).exitStatus, 0);
    const ProcessRun strict = rghost({"validate", warned, "--strict"});
    EXPECT_EQ(strict.exitStatus, 1);
    EXPECT_EQ(strict.out,
              "frame 1: error: lidShaper__eyes__L_eye__closeLine is outside its useful range -1 to 1 (it is 1.5)\n");
    EXPECT_EQ(rghost({"validate", badFile("truncated.json")}).exitStatus, 2);

    // Deform says it once before the frames run, and computes as the node does.
    const ProcessRun deform = rghost({"deform", warned, "-o", work.file("result.json")});
    EXPECT_EQ(deform.exitStatus, 0) << deform.err;
    EXPECT_EQ(deform.err.rfind(warning, 0), 0u) << deform.err;
    EXPECT_EQ(deform.err.find("closeLine", warning.size()), std::string::npos) << deform.err;
}

TEST_F(RghostCli, ExplainsCommandLineMistakesInPlainWords)
{
    const std::string rig = rigFile(hosttest::idleRig());
    const struct {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string out;
        std::string err; // the start of the one line on stderr
    } cases[] = {
        {{"--version"}, 0, "rghost " LIDSHAPER_VERSION "\n", ""},
        {{"defrom", rig},
         2,
         "",
         "rghost: unknown command 'defrom' (did you mean 'deform'?); the commands are deform, "},
        {{}, 2, "", "rghost: a command is required: deform, "},
        {{"deform", rig, "--fram", "3"},
         2,
         "",
         "rghost: deform: unknown option '--fram' (did you mean '--frames'?); see rghost deform --help\n"},
        {{"validate", "--strikt=1", rig},
         2,
         "",
         "rghost: validate: unknown option '--strikt' (did you mean '--strict'?); see rghost validate --help\n"},
        {{"schema", "--xyz"}, 2, "", "rghost: schema: unknown option '--xyz'; see rghost schema --help\n"},
        {{"sample-rig", "-o", work.file("sample.json"), "--frames", "0"},
         2,
         "",
         "rghost: sample-rig: frames must be at least 1\n"},
        {{"sweep", rig, "--attr", "ENVELOP", "--from", "0", "--to", "1", "-o", work.file("strip.png")},
         2,
         "",
         "rghost: --attr ENVELOP: the rig has no such key (did you mean 'ENVELOPE'?)\n"},
        {{"sheet", rig, "--overlay", "columns,coners", "-o", work.file("sheet.png")},
         2,
         "",
         "rghost: sheet: --overlay: unknown overlay category 'coners' (did you mean 'corners'?)"},
        {{"inspect", rig, "--frame", "7", "-o", work.file("inspect.png")},
         2,
         "",
         "rghost: --frame 7: the rig's frames are 0 to 0\n"},
    };
    for (const auto& c : cases) {
        const ProcessRun run = rghost(c.arguments);
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.err;
        EXPECT_EQ(run.out, c.out) << c.err;
        EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.empty() ? std::string::npos : run.err.size() - 1) << run.err;
    }
}

// tests/data/schema/declared-attributes.json is the reviewed list of what the
// node declares, one attribute per line, with each attribute's eye side and
// group; fields the host adds from its own control reference are not part of it.
TEST_F(RghostCli, SchemaPrintsTheDeclaredAttributes)
{
    const ProcessRun listing = rghost({"schema", "--json"});
    ASSERT_EQ(listing.exitStatus, 0) << listing.err;
    const json attributes = json::parse(listing.out);
    const json expected = json::parse(hosttest::readTextFile(std::filesystem::path(LIDSHAPER_SOURCE_DIR) / "tests" /
                                                             "data" / "schema" / "declared-attributes.json"));
    ASSERT_EQ(attributes.size(), expected.size());
    for (std::size_t row = 0; row < expected.size(); ++row) {
        for (const auto& [field, value] : expected[row].items()) {
            EXPECT_EQ(attributes[row][field], value) << "row " << row << " (" << expected[row]["key"] << ") " << field;
        }
    }

    // The table shows one row per attribute below its header.
    const ProcessRun table = rghost({"schema"});
    ASSERT_EQ(table.exitStatus, 0) << table.err;
    EXPECT_EQ(table.out.rfind("KEY ", 0), 0u);
    EXPECT_NE(table.out.find("\n" + expected[0]["key"].get<std::string>() + " "), std::string::npos);
    EXPECT_EQ(static_cast<std::size_t>(std::count(table.out.begin(), table.out.end(), '\n')), attributes.size() + 1);
}

TEST_F(RghostCli, HelpPrintsThePluginsReply)
{
    const ProcessRun run = rghost({"help"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "Commands: \n");
}

} // namespace
