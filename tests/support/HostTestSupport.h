#pragma once

// Rigs and files the host tests share.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

namespace hosttest {

using nlohmann::json;

inline json typedValue(const char* type, json value)
{
    return {{"type", type}, {"value", std::move(value)}};
}

// A valid rig with three points and no attributes.
inline json threePointRig()
{
    return {{"format", "rg-rig/1"},
            {"node", "testRig1"},
            {"attributes", json::object()},
            {"geometry",
             {{"points", json::array({json::array({0.0, 0.0, 0.0}), json::array({1.0, 2.0, 3.0}),
                                      json::array({-1.0, 0.5, 2.25})})}}}};
}

// The four host settings with a zero envelope: the node returns Success at
// once and leaves the points alone.
inline json idleRig()
{
    json rig = threePointRig();
    rig["attributes"] = {{"DEBUG_MODE", typedValue("RgInt", 0)},
                         {"CACHE_ATTRIBUTES", typedValue("RgBoolean", true)},
                         {"ENVELOPE", typedValue("RgFloat", 0.0)},
                         {"SOA_ENABLED", typedValue("RgBoolean", false)}};
    return rig;
}

// A bilinear NURBS patch as a rig file holds it.
inline json bilinearPatch()
{
    // CV (iu, iv) sits at (iu, iv, iu * iv); the world matrix moves it by (10, 20, 30).
    return {{"degreeU", 1},
            {"degreeV", 1},
            {"cvCountU", 2},
            {"cvCountV", 2},
            {"knotsU", {0, 0, 1, 1}},
            {"knotsV", {0, 0, 1, 1}},
            {"cvs", json::array({json::array({0, 0, 0}), json::array({0, 1, 0}), json::array({1, 0, 0, 1}),
                                 json::array({1, 1, 1})})},
            {"formU", "open"},
            {"formV", "open"},
            {"worldMatrix", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1}}};
}

// A scratch directory removed with everything in it at the end of the test.
class TemporaryDirectory {
public:
    TemporaryDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "rghost-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryDirectory() { std::filesystem::remove_all(path_); }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string readTextFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeTextFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace hosttest
