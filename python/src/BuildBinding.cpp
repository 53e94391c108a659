#include "BuildBinding.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>

#include <pybind11/stl.h>

#include "NumericArrays.h"
#include "PluginBinding.h"
#include "PointArrays.h"
#include "PythonErrors.h"
#include "RigBinding.h"
#include "build/HeadScene.h"
#include "build/OpenPoseCheck.h"
#include "build/RigBuilder.h"

namespace lidshaper {

namespace {

using rghost::build::EyeballInput;
using rghost::build::EyeOverrides;

Imath::V3d vectorFrom(py::handle object, const std::string& name)
{
    const NumericArray<double> given = numericArray<double>(object, name, NumberKind::Real, axes({3}));
    return {given.data()[0], given.data()[1], given.data()[2]};
}

std::vector<Imath::V3d> pointsFrom(py::handle object, const std::string& name)
{
    return pointList(numericArray<double>(object, name, NumberKind::Real, axes({-1, 3})));
}

double numberFrom(py::handle object, const std::string& name)
{
    return numericArray<double>(object, name, NumberKind::Real, axes({})).data()[0];
}

std::int32_t indexFrom(py::handle object, const std::string& name)
{
    return numericArray<std::int32_t>(object, name, NumberKind::Integer, axes({})).data()[0];
}

// The keys an eyeball given as a dict may hold besides its mesh or sphere.
void readOverride(EyeOverrides& overrides, const std::string& key, py::handle value, const std::string& name)
{
    if (key == "margin") {
        const NumericArray<std::int32_t> margin =
            numericArray<std::int32_t>(value, name, NumberKind::Integer, axes({-1}));
        overrides.margin.assign(margin.data(), margin.data() + margin.size());
    } else if (key == "inner_corner") {
        overrides.innerCorner = indexFrom(value, name);
    } else if (key == "outer_corner") {
        overrides.outerCorner = indexFrom(value, name);
    } else if (key == "upper_middle") {
        overrides.upperMiddle = indexFrom(value, name);
    } else if (key == "lower_middle") {
        overrides.lowerMiddle = indexFrom(value, name);
    } else if (key == "between_rows") {
        overrides.betweenRows = indexFrom(value, name);
    } else if (key == "center_rows") {
        overrides.centerRows = indexFrom(value, name);
    } else {
        throw py::value_error(name + ": unknown key (expected points, center, radius, margin, inner_corner, "
                                     "outer_corner, upper_middle, lower_middle, between_rows or center_rows)");
    }
}

EyeOverrides overridesFrom(py::handle object, const std::string& name)
{
    EyeOverrides overrides;
    if (object.is_none()) {
        return overrides;
    }
    if (!py::isinstance<py::dict>(object)) {
        throw py::type_error(name + ": expected a dict of overrides, got " + pythonTypeName(object));
    }
    for (const auto& [key, value] : py::reinterpret_borrow<py::dict>(object)) {
        const std::string keyText = py::str(key);
        readOverride(overrides, keyText, value, name + "['" + keyText + "']");
    }
    return overrides;
}

// One eyeball: its mesh's points as an (M, 3) array, a (center, radius)
// pair, or a dict of either with the eye's overrides.
EyeballInput eyeballFrom(py::handle object, const std::string& name)
{
    EyeballInput eyeball;
    if (py::isinstance<py::dict>(object)) {
        for (const auto& [keyObject, value] : py::reinterpret_borrow<py::dict>(object)) {
            const std::string key = py::str(keyObject);
            const std::string keyName = name + "['" + key + "']";
            if (key == "points") {
                eyeball.points = pointsFrom(value, keyName);
            } else if (key == "center") {
                eyeball.center = vectorFrom(value, keyName);
            } else if (key == "radius") {
                eyeball.radius = numberFrom(value, keyName);
            } else {
                readOverride(eyeball.overrides, key, value, keyName);
            }
        }
        if (eyeball.points.empty() && !eyeball.center) {
            throw py::value_error(name + ": expected 'points' or 'center' and 'radius'");
        }
        return eyeball;
    }
    const auto isNumber = [](py::handle item) {
        return PyNumber_Check(item.ptr()) && !py::isinstance<py::sequence>(item) && !py::isinstance<py::array>(item);
    };
    if (py::isinstance<py::sequence>(object) && !py::isinstance<py::str>(object) && py::len(object) == 2 &&
        isNumber(py::reinterpret_borrow<py::sequence>(object)[1])) {
        const py::sequence pair = py::reinterpret_borrow<py::sequence>(object);
        eyeball.center = vectorFrom(pair[0], name + "[0]");
        eyeball.radius = numberFrom(pair[1], name + "[1]");
        return eyeball;
    }
    eyeball.points = pointsFrom(object, name);
    return eyeball;
}

py::dict reportDict(const rghost::build::EyeReport& eye)
{
    py::dict report;
    report["side"] = eye.side == rigContract::EyeSide::Left ? "left" : "right";
    report["upper_columns"] = eye.upperColumns;
    report["lower_columns"] = eye.lowerColumns;
    report["center_rows"] = eye.centerRows;
    report["between_rows"] = eye.betweenRows;
    report["inner_corner"] = eye.innerCorner;
    report["outer_corner"] = eye.outerCorner;
    report["margin_size"] = eye.marginSize;
    report["margin_is_hole"] = eye.marginIsHole;
    report["eyeball_center"] = py::make_tuple(eye.eyeballCenter.x, eye.eyeballCenter.y, eye.eyeballCenter.z);
    report["eyeball_radius"] = eye.eyeballRadius;
    report["eyeball_residual"] = eye.eyeballResidual;
    report["opening_width"] = eye.openingWidth;
    report["neutral_largest"] = eye.neutralLargest;
    report["neutral_rms"] = eye.neutralRms;
    return report;
}

py::object buildRig(py::handle head, py::handle faces, py::handle eyeballs,
                    const std::vector<std::string>& eyeballNames, bool swapSides, py::handle up, py::handle front,
                    bool softRegion, int softRegionRings, int frames, std::optional<int> betweenRows,
                    std::optional<int> centerRows, py::handle leftEye, py::handle rightEye, bool withReport)
{
    rghost::build::HeadScene scene;
    try {
        if (py::isinstance<py::str>(head) || py::hasattr(head, "__fspath__")) {
            const std::string path = py::str(py::module_::import("os").attr("fspath")(head));
            if (!std::filesystem::is_regular_file(path)) {
                raise(PyExc_FileNotFoundError, "no head file " + path);
            }
            scene = rghost::build::readHeadObj(path, eyeballNames, !eyeballs.is_none());
        } else {
            rghost::build::HeadMesh mesh;
            mesh.points = pointsFrom(head, "head");
            if (faces.is_none()) {
                throw py::value_error("faces: a head given as points needs its faces");
            }
            mesh.faces = facesFrom(faces, mesh.points.size());
            scene = eyeballs.is_none() ? rghost::build::splitLooseEyeballs(mesh) : rghost::build::HeadScene{mesh, {}};
        }
        if (!eyeballs.is_none()) {
            scene.eyeballs.clear();
            for (const py::handle eyeball : py::cast<py::sequence>(eyeballs)) {
                scene.eyeballs.push_back(
                    eyeballFrom(eyeball, "eyeballs[" + std::to_string(scene.eyeballs.size()) + "]"));
            }
        }
        for (EyeballInput& eyeball : scene.eyeballs) {
            eyeball.overrides.betweenRows = eyeball.overrides.betweenRows ? eyeball.overrides.betweenRows : betweenRows;
            eyeball.overrides.centerRows = eyeball.overrides.centerRows ? eyeball.overrides.centerRows : centerRows;
        }
        rghost::build::BuildOptions options;
        options.swapSides = swapSides;
        if (!up.is_none()) {
            options.up = vectorFrom(up, "up");
        }
        if (!front.is_none()) {
            options.front = vectorFrom(front, "front");
        }
        options.softRegion = softRegion;
        options.softRegionRings = softRegionRings;
        options.frames = frames;
        options.leftEye = overridesFrom(leftEye, "left_eye");
        options.rightEye = overridesFrom(rightEye, "right_eye");
        const std::shared_ptr<LoadedPlugin> plugin = defaultPlugin();
        rghost::build::BuiltRig built = [&] {
            py::gil_scoped_release unlocked;
            rghost::build::BuiltRig made = rghost::build::buildRig(scene.head, scene.eyeballs, options);
            rghost::build::measureOpenPose(plugin->plugin(), made);
            return made;
        }();
        auto rig = std::make_shared<rghost::Rig>(std::move(built.rig));
        if (!withReport) {
            return py::cast(rig);
        }
        py::list report;
        for (const rghost::build::EyeReport& eye : built.eyes) {
            report.append(reportDict(eye));
        }
        return py::make_tuple(rig, report);
    } catch (const rghost::build::BuildError& error) {
        throw py::value_error(std::string("build_rig: ") + error.what());
    }
}

} // namespace

void bindBuild(py::module_& module)
{
    module.def("build_rig", &buildRig, py::arg("head"), py::arg("faces") = py::none(), py::arg("eyeballs") = py::none(),
               py::kw_only(), py::arg("eyeball_names") = std::vector<std::string>(), py::arg("swap_sides") = false,
               py::arg("up") = py::none(), py::arg("front") = py::none(), py::arg("soft_region") = true,
               py::arg("soft_region_rings") = 3, py::arg("frames") = 48, py::arg("between_rows") = py::none(),
               py::arg("center_rows") = py::none(), py::arg("left_eye") = py::none(), py::arg("right_eye") = py::none(),
               py::arg("report") = false,
               "A rig built from a head and its eyeballs: `head` is an OBJ path (objects or groups in "
               "`eyeball_names`, else named 'eyeball' or 'eye', else the loose spherical parts are the eyeballs) "
               "or an (N, 3) array of points with `faces` (without `eyeballs`, its loose spherical parts are the "
               "eyeballs); `eyeballs` (one per eye) are (M, 3) arrays of eyeball mesh points, (center, radius) "
               "pairs, or dicts of either with that eye's overrides. Overrides (margin, inner_corner, "
               "outer_corner, upper_middle, lower_middle, between_rows, center_rows) may also be given by side "
               "as `left_eye` and `right_eye` dicts. With report=True, returns (rig, one dict per eye of what "
               "was chosen, the open pose's largest and RMS move included). Bad input raises ValueError naming "
               "what is wrong and where.");
}

} // namespace lidshaper
