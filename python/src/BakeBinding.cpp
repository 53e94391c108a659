#include "BakeBinding.h"

#include <optional>
#include <string>

#include <pybind11/stl.h>

#include "PluginBinding.h"
#include "PythonErrors.h"
#include "RigBinding.h"
#include "ThreadErrorLines.h"
#include "bake/Bake.h"
#include "bake/ResultMerge.h"

namespace lidshaper {

namespace {

// Bakes the rig file `rigPath` as `rghost deform` does, into the outputs named
// (empty: not written); frames are scene frame numbers (first, last).
py::dict bakeRigFile(const std::string& rigPath, const rghost::BakeOutputs& requested,
                     std::optional<std::pair<std::int64_t, std::int64_t>> frames, std::optional<std::size_t> preroll,
                     std::optional<std::string> pluginPath)
{
    rghost::BakeOutputs outputs = requested;
    outputs.rigFile = rigPath;
    rghost::BakeOptions options;
    if (frames) {
        options.frames = rghost::SceneFrames{frames->first, frames->second};
    }
    options.preroll = preroll;
    const std::shared_ptr<LoadedPlugin> plugin =
        pluginPath ? std::make_shared<LoadedPlugin>(*pluginPath) : defaultPlugin();
    const rghost::Rig rig = readRig(rigPath);
    rghost::BakeSummary summary;
    try {
        const py::gil_scoped_release released;
        const auto sink = lockSinkForHostCode();
        summary = rghost::bakeRig(plugin->plugin(), rig, options, outputs);
    } catch (const std::invalid_argument& error) {
        throw py::value_error(rigPath + ": " + error.what());
    } catch (const std::runtime_error& error) {
        raise(PyExc_OSError, rigPath + ": " + error.what());
    }
    py::dict described;
    described["rig"] = rigPath;
    described["files"] = summary.files;
    described["frames"] = summary.frames;
    described["failed_frames"] = summary.failedFrames;
    described["deform_seconds"] = summary.deformSeconds;
    described["output_seconds"] = summary.outputSeconds;
    return described;
}

void mergeResults(const std::vector<std::string>& chunks, const std::string& output)
{
    try {
        const py::gil_scoped_release released;
        rghost::mergeResultFiles(chunks, output);
    } catch (const std::invalid_argument& error) {
        throw py::value_error(std::string("merge: ") + error.what());
    } catch (const std::runtime_error& error) {
        raise(PyExc_OSError, std::string("merge: ") + error.what());
    }
}

} // namespace

void bindBake(py::module_& module)
{
    module.def(
        "bake_rig",
        [](const std::string& rigPath, const std::string& resultFile, const std::string& pointCache,
           const std::string& restMesh, const std::string& objDirectory,
           std::optional<std::pair<std::int64_t, std::int64_t>> frames, std::optional<std::size_t> preroll,
           std::optional<std::string> pluginPath) {
            return bakeRigFile(rigPath, rghost::BakeOutputs{resultFile, pointCache, restMesh, objDirectory, {}}, frames,
                               preroll, pluginPath);
        },
        py::arg("rig_path"), py::arg("result_file") = "", py::arg("point_cache") = "", py::arg("rest_mesh") = "",
        py::arg("obj_directory") = "", py::arg("frames") = py::none(), py::arg("preroll") = py::none(),
        py::arg("plugin_path") = py::none(),
        "Bakes one rig file as rghost deform does: frames (first, last) as scene frame numbers, preroll frames "
        "replayed before them. Returns a summary dict.");
    module.def("merge", &mergeResults, py::arg("chunks"), py::arg("output"),
               "Joins the result files of chunks of one bake (in any order) into the file one full run writes, "
               "byte for byte, as rghost merge does; every line copied is checked. A chunk that does not fit or is "
               "corrupt raises ValueError naming it and the fault, and nothing is written.");
}

} // namespace lidshaper
