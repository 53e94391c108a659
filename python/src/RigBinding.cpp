#include "RigBinding.h"

#include <filesystem>
#include <memory>
#include <optional>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "HostValues.h"
#include "NumericArrays.h"
#include "PluginBinding.h"
#include "PointArrays.h"
#include "PythonErrors.h"
#include "PythonValues.h"
#include "ThreadErrorLines.h"
#include "ValueClasses.h"
#include "bake/FrameSelection.h"
#include "core/RigRunner.h"
#include "io/ResultWriter.h"
#include "io/RigFileReader.h"
#include "io/RigFileWriter.h"
#include "sample/SampleRig.h"

namespace lidshaper {

namespace {

using RigPointer = std::shared_ptr<rghost::Rig>;

// One played frame.
struct FrameResult {
    std::int64_t frame = 0; // scene frame number
    int status = 0;
    std::string statusName;
    std::vector<std::string> errors;
    py::array_t<double> points;
};

py::dict attributesDict(const AttributeMap& attributes, const rghost::Rig& rig)
{
    py::dict dict;
    for (const auto& [key, value] : attributes) {
        dict[py::str(key)] = pythonValue(value, &rig);
    }
    return dict;
}

// Surfaces a Python mapping holds, recorded in the rig so that it can be written.
void recordSurfaces(py::handle mapping, rghost::Rig& rig)
{
    for (const auto& item : py::reinterpret_borrow<py::dict>(mapping)) {
        if (!py::isinstance<Surface>(item.second)) {
            continue;
        }
        const Surface& surface = item.second.cast<const Surface&>();
        bool known = false;
        for (const rghost::RigSurface& recorded : rig.surfaces) {
            known = known || recorded.surface == surface.surface();
        }
        if (!known) {
            rig.surfaces.push_back(rghost::RigSurface{surface.surface(), surface.description()});
        }
    }
}

AttributeMap rigAttributes(py::handle mapping, const std::string& name, rghost::Rig& rig)
{
    AttributeMap attributes = attributeMap(mapping, name, defaultPlugin()->declarations());
    recordSurfaces(mapping, rig);
    return attributes;
}

py::list framesList(const rghost::Rig& rig)
{
    py::list frames;
    for (const rghost::RigFrame& frame : rig.frames) {
        py::dict overrides = attributesDict(frame.overrides, rig);
        for (const std::string& key : frame.removedKeys) {
            overrides[py::str(key)] = py::none();
        }
        frames.append(std::move(overrides));
    }
    return frames;
}

// Frames as Python gives them: one dict of overrides per frame, where None
// removes the key for that frame.
std::vector<rghost::RigFrame> rigFrames(py::handle frames, rghost::Rig& rig)
{
    std::vector<rghost::RigFrame> made;
    for (const py::handle overrides : py::cast<py::sequence>(frames)) {
        const std::string name = "frames[" + std::to_string(made.size()) + "]";
        rghost::RigFrame frame;
        for (auto& [key, value] : rigAttributes(overrides, name, rig)) {
            if (value == nullptr) {
                frame.removedKeys.push_back(key);
            } else {
                frame.overrides[key] = value;
            }
        }
        made.push_back(std::move(frame));
    }
    return made;
}

// Scene frame numbers from what Python gives: one frame number or a range.
rghost::SceneFrames sceneFrames(py::handle frames)
{
    if (py::isinstance<py::int_>(frames)) {
        const auto frame = frames.cast<std::int64_t>();
        return rghost::SceneFrames{frame, frame};
    }
    if (!py::isinstance(frames, py::module_::import("builtins").attr("range"))) {
        throw py::type_error("frames: expected None, a frame number or a range of them");
    }
    const auto first = frames.attr("start").cast<std::int64_t>();
    const auto stop = frames.attr("stop").cast<std::int64_t>();
    if (frames.attr("step").cast<std::int64_t>() != 1 || stop <= first) {
        throw py::value_error("frames: frames play in order; give a non-empty range with step 1");
    }
    return rghost::SceneFrames{first, stop - 1};
}

std::vector<FrameResult> play(const RigPointer& rig, Node* node, py::handle frames, std::optional<std::size_t> preroll)
{
    std::optional<rghost::SceneFrames> recorded;
    if (!frames.is_none()) {
        recorded = sceneFrames(frames);
    }
    rghost::FramePlan plan;
    try {
        plan = rghost::planFrames(*rig, recorded, preroll);
    } catch (const std::invalid_argument& error) {
        throw py::value_error(std::string("frames: ") + error.what());
    }
    std::unique_ptr<Node> ownNode;
    if (node == nullptr) {
        ownNode = std::make_unique<Node>(defaultPlugin(), rig->nodeName);
        node = ownNode.get();
    }
    const std::unique_lock<std::mutex> call = node->lockForCall();
    std::vector<rghost::FrameResult> played;
    {
        const py::gil_scoped_release released;
        const auto sink = lockSinkForHostCode();
        rghost::playRig(node->rgNode(), *rig, plan, [&](rghost::FrameResult& frame, bool isRecorded) {
            if (isRecorded) {
                played.push_back(std::move(frame));
            }
        });
    }
    std::vector<FrameResult> results;
    for (rghost::FrameResult& frame : played) {
        results.push_back(FrameResult{frame.frame, static_cast<int>(frame.status), statusName(frame.status),
                                      std::move(frame.errors), adoptPointArray(std::move(frame.points))});
    }
    return results;
}

void writeResult(const std::string& path, const std::string& nodeName, const std::vector<FrameResult>& frames)
{
    try {
        rghost::ResultWriter writer(path, nodeName);
        rghost::FrameResult result;
        for (const FrameResult& frame : frames) {
            result.frame = frame.frame;
            result.status = static_cast<RgStatus>(frame.status);
            result.errors = frame.errors;
            result.points = pointList(frame.points);
            writer.frame(result);
        }
        writer.close();
    } catch (const std::invalid_argument& error) {
        throw py::value_error(std::string("write_result: ") + error.what());
    } catch (const std::runtime_error& error) {
        raise(PyExc_OSError, error.what());
    }
}

void writeRig(const rghost::Rig& rig, const std::string& path)
{
    try {
        rghost::writeRigFile(rig, path);
    } catch (const std::invalid_argument& error) {
        throw py::value_error(std::string("write: ") + error.what());
    } catch (const std::runtime_error& error) {
        raise(PyExc_OSError, error.what());
    }
}

RigPointer sampleRig(int columns, int centerRows, int betweenRows, int frames, bool softRegion)
{
    rghost::SampleRigOptions options;
    options.columns = columns;
    options.centerRows = centerRows;
    options.betweenRows = betweenRows;
    options.frames = frames;
    options.softRegion = softRegion;
    const std::string problem = rghost::describeSampleRigProblem(options);
    if (!problem.empty()) {
        throw py::value_error("sample_rig: " + problem);
    }
    return std::make_shared<rghost::Rig>(rghost::buildSampleRig(options));
}

} // namespace

std::vector<std::vector<std::int32_t>> facesFrom(py::handle faces, std::size_t pointCount)
{
    std::vector<std::vector<std::int32_t>> made;
    for (const py::handle face : py::cast<py::sequence>(faces)) {
        const std::string name = "faces[" + std::to_string(made.size()) + "]";
        const NumericArray<std::int32_t> indices =
            numericArray<std::int32_t>(face, name, NumberKind::Integer, axes({-1}));
        for (py::ssize_t i = 0; i < indices.size(); ++i) {
            if (indices.data()[i] < 0 || static_cast<std::size_t>(indices.data()[i]) >= pointCount) {
                throw py::value_error(name + "[" + std::to_string(i) + "]: no point " +
                                      std::to_string(indices.data()[i]));
            }
        }
        made.emplace_back(indices.data(), indices.data() + indices.size());
    }
    return made;
}

rghost::Rig readRig(const std::string& path)
{
    if (!std::filesystem::is_regular_file(path)) {
        raise(PyExc_FileNotFoundError, "no rig file " + path);
    }
    try {
        return rghost::readRigFile(path);
    } catch (const rghost::RigFileError& error) {
        throw py::value_error(path + ": " + error.what());
    }
}

void bindRig(py::module_& module)
{
    py::class_<FrameResult>(module, "FrameResult", "One frame a rig played: its index, status, error lines and points.")
        .def_readonly("frame", &FrameResult::frame)
        .def_readonly("status", &FrameResult::status)
        .def_readonly("status_name", &FrameResult::statusName)
        .def_readonly("errors", &FrameResult::errors)
        .def_readonly("points", &FrameResult::points)
        .def("__repr__", [](const FrameResult& self) {
            return "<FrameResult " + std::to_string(self.frame) + " " + self.statusName + ">";
        });

    py::class_<rghost::Rig, RigPointer>(module, "Rig", "Everything a host hands one node, as a rig file holds it.")
        .def_readwrite("node_name", &rghost::Rig::nodeName)
        .def_property(
            "attributes", [](const rghost::Rig& self) { return attributesDict(self.attributes, self); },
            [](rghost::Rig& self, py::handle attributes) {
                self.attributes = rigAttributes(attributes, "attributes", self);
            },
            "The base attribute map: key -> Value, Curve, Surface or None (an empty entry). Plain values are "
            "accepted when set.")
        .def_property(
            "points", [](const rghost::Rig& self) { return pointArray(self.geometry.points); },
            [](rghost::Rig& self, py::handle points) {
                self.geometry.points =
                    pointList(numericArray<double>(points, "points", NumberKind::Real, axes({-1, 3})));
                self.geometry.weights.assign(self.geometry.points.size(), 1.0f);
            },
            "The rest points (N, 3); setting them resets the weights to 1.")
        .def_property(
            "matrix", [](const rghost::Rig& self) { return matrixArray(self.geometry.geometryMatrix); },
            [](rghost::Rig& self, py::handle matrix) { self.geometry.geometryMatrix = matrixFrom(matrix, "matrix"); })
        .def_property(
            "weights",
            [](const rghost::Rig& self) {
                py::array_t<float> weights(static_cast<py::ssize_t>(self.geometry.weights.size()));
                std::copy(self.geometry.weights.begin(), self.geometry.weights.end(), weights.mutable_data());
                return weights;
            },
            [](rghost::Rig& self, py::handle weights) {
                const auto count = static_cast<py::ssize_t>(self.geometry.points.size());
                const NumericArray<float> given =
                    numericArray<float>(weights, "weights", NumberKind::Real, axes({count}));
                self.geometry.weights.assign(given.data(), given.data() + count);
            })
        .def_property(
            "enabled", [](const rghost::Rig& self) { return self.geometry.geometry; },
            [](rghost::Rig& self, bool enabled) { self.geometry.geometry = enabled; })
        .def_property(
            "faces", [](const rghost::Rig& self) { return self.faces; },
            [](rghost::Rig& self, py::handle faces) { self.faces = facesFrom(faces, self.geometry.points.size()); })
        .def_property(
            "frames", &framesList, [](rghost::Rig& self, py::handle frames) { self.frames = rigFrames(frames, self); },
            "One dict of overrides per frame (None: the key is removed for that frame); empty: one frame of the "
            "base attributes.")
        .def_property_readonly("frame_count", [](const rghost::Rig& self) { return rghost::frameCount(self); })
        .def(
            "frame_attributes",
            [](const rghost::Rig& self, std::size_t frame) {
                if (frame >= rghost::frameCount(self)) {
                    throw py::index_error("frame_attributes: frame " + std::to_string(frame) + " is past the rig's " +
                                          std::to_string(rghost::frameCount(self)) + " frames");
                }
                return attributesDict(rghost::frameAttributes(self, frame), self);
            },
            py::arg("frame"), "The attribute map frame `frame` is evaluated with.")
        .def_readwrite("start_frame", &rghost::Rig::startFrame, "Scene frame number of the first frame.")
        .def("play", &play, py::arg("node") = nullptr, py::arg("frames") = py::none(), py::arg("preroll") = py::none(),
             "Plays frames in order on one node (a new one by default), as rghost deform does: `frames` is a scene "
             "frame number or a range of them (default: all), `preroll` how many earlier frames run first (default: "
             "all).")
        .def("write", &writeRig, py::arg("path"), "Writes the rig file (rg-rig/1).")
        .def("__repr__", [](const rghost::Rig& self) {
            return "<lidshaper.Rig " + self.nodeName + ": " + std::to_string(self.geometry.points.size()) +
                   " points, " + std::to_string(rghost::frameCount(self)) + " frames>";
        });

    module.def(
        "read_rig", [](const std::string& path) { return std::make_shared<rghost::Rig>(readRig(path)); },
        py::arg("path"), "Reads a rig file (rg-rig/1).");
    module.def("write_result", &writeResult, py::arg("path"), py::arg("node_name"), py::arg("frames"),
               "Writes played frames as a result file (rg-result/1), exactly as rghost deform does. A point that is "
               "not finite raises ValueError naming its frame and vertex (play gives none: such a frame fails and "
               "keeps its rest points).");
    module.def("sample_rig", &sampleRig, py::arg("columns") = 24, py::arg("center_rows") = 3,
               py::arg("between_rows") = 6, py::arg("frames") = 48, py::arg("soft_region") = true,
               "The built-in sample rig (as `rghost sample-rig` writes it).");
}

} // namespace lidshaper
