#include "PluginBinding.h"

#include <cstring>
#include <filesystem>
#include <optional>

#include <dlfcn.h>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "AttributeDescriptions.h"
#include "NumericArrays.h"
#include "PointArrays.h"
#include "PythonErrors.h"
#include "PythonValues.h"
#include "ThreadErrorLines.h"
#include "core/ControlReference.h"
#include "io/SchemaReport.h"

namespace lidshaper {

namespace {

// What a node operation gave: its status and the error lines it showed.
struct Result {
    int status = 0;
    std::string statusName;
    std::vector<std::string> errors;
};

struct DeformResult : Result {
    py::array_t<double> points;
};

struct HelpResult : Result {
    std::optional<std::string> output;
};

template <typename Outcome>
Outcome outcome(RgStatus status, std::vector<std::string> errors)
{
    Outcome made;
    made.status = static_cast<int>(status);
    made.statusName = statusName(status);
    made.errors = std::move(errors);
    return made;
}

// The array deform writes its result into: a writable C-contiguous float64
// array of `count` rows of 3.
py::array_t<double> outputArray(py::handle out, py::ssize_t count)
{
    const bool fits = py::isinstance<py::array_t<double, py::array::c_style>>(out) &&
                      py::reinterpret_borrow<py::array>(out).writeable();
    if (!fits) {
        throw py::type_error("out: expected a writable C-contiguous float64 array, got " +
                             py::repr(py::type::handle_of(out)).cast<std::string>());
    }
    const auto array = py::reinterpret_borrow<py::array_t<double>>(out);
    if (array.ndim() != 2 || array.shape(0) != count || array.shape(1) != 3) {
        throw py::value_error("out: expected shape (" + std::to_string(count) + ", 3) like points");
    }
    return array;
}

// Lends a point list to the record for one call: the two swap contents, and
// swap back however the call ends.
class PointListLoan {
public:
    PointListLoan(std::vector<Imath::V3d>& record, std::vector<Imath::V3d>* lent) : record_(record), lent_(lent)
    {
        if (lent_ != nullptr) {
            record_.swap(*lent_);
        }
    }
    ~PointListLoan()
    {
        if (lent_ != nullptr) {
            record_.swap(*lent_);
        }
    }
    PointListLoan(const PointListLoan&) = delete;
    PointListLoan& operator=(const PointListLoan&) = delete;

private:
    std::vector<Imath::V3d>& record_;
    std::vector<Imath::V3d>* lent_;
};

DeformResult deform(Node& node, py::handle attrs, py::handle points, py::handle matrix, py::handle weights,
                    bool enabled, py::handle out)
{
    AttributeMap attributes = attributeMap(attrs, "attrs", node.plugin()->declarations());
    const NumericArray<double> rest = numericArray<double>(points, "points", NumberKind::Real, axes({-1, 3}));
    const py::ssize_t count = rest.shape(0);
    const Imath::M44d geometryMatrix = matrix.is_none() ? Imath::M44d() : matrixFrom(matrix, "matrix");
    std::optional<NumericArray<float>> pointWeights;
    if (!weights.is_none()) {
        pointWeights = numericArray<float>(weights, "weights", NumberKind::Real, axes({count}));
    }
    std::optional<py::array_t<double>> target;
    if (!out.is_none()) {
        target = outputArray(out, count);
    }

    // An array the module made (a result's points, empty_points) deformed in place is a host
    // point list already: the record borrows it, and nothing is copied either way.
    std::vector<Imath::V3d>* inPlace = target && out.is(points) ? adoptedPointList(rest) : nullptr;

    const std::unique_lock<std::mutex> call = node.lockForCall();
    RgDeformData& record = node.record();
    const PointListLoan loan(record.points, inPlace);
    RgStatus status = RgStatus::Failure;
    std::vector<std::string> errors;
    {
        const py::gil_scoped_release released;
        record.geometry = enabled;
        record.geometryMatrix = geometryMatrix;
        if (inPlace == nullptr) {
            record.points.resize(static_cast<std::size_t>(count));
            std::memcpy(static_cast<void*>(record.points.data()), rest.data(),
                        record.points.size() * sizeof(Imath::V3d));
        }
        if (pointWeights) {
            record.weights.assign(pointWeights->data(), pointWeights->data() + count);
        } else if (!node.recordHasDefaultWeights || record.weights.size() != record.points.size()) {
            record.weights.assign(record.points.size(), 1.0f);
        }
        node.recordHasDefaultWeights = !pointWeights;
        NodeCallLines lines;
        status = node.rgNode().deform(attributes, record);
        errors = lines.take();
        if (target && inPlace == nullptr) {
            std::memcpy(target->mutable_data(), record.points.data(), record.points.size() * sizeof(Imath::V3d));
        }
    }
    DeformResult result = outcome<DeformResult>(status, std::move(errors));
    result.points = target ? *target : adoptPointArray(std::move(record.points));
    return result;
}

Result validate(Node& node, py::handle attrs)
{
    const AttributeMap attributes = attributeMap(attrs, "attrs", node.plugin()->declarations());
    const std::unique_lock<std::mutex> call = node.lockForCall();
    const py::gil_scoped_release released;
    NodeCallLines lines;
    const RgStatus status = node.rgNode().validateAttributes(attributes);
    return outcome<Result>(status, lines.take());
}

// The plug-in's help about a new node named `nodeName`, with the standard
// command changed by `args`. The node's own address is
// not the caller's to change: the plug-in follows it.
HelpResult help(const std::shared_ptr<LoadedPlugin>& plugin, py::handle args, const std::string& nodeName)
{
    const rghost::NodePointer node = plugin->plugin().createNode(nodeName);
    rghost::HelpCall call(*node, nodeName);
    Declarations declarations;
    for (const auto& [key, value] : call.command()) {
        declarations[key] = DeclaredValue{typeNameOf(value), false};
    }
    const AttributeMap changes = attributeMap(args, "args", declarations);
    if (changes.count("RG_NODE_PTR") != 0) {
        throw py::value_error("args['RG_NODE_PTR']: the node's address is the module's to give");
    }
    for (const auto& [key, value] : changes) {
        call.command()[key] = value;
    }
    RgStatus status = RgStatus::Failure;
    std::vector<std::string> errors;
    {
        const py::gil_scoped_release released;
        NodeCallLines lines;
        try {
            status = plugin->plugin().help(call.command());
        } catch (const std::out_of_range& error) {
            throw py::value_error(std::string("args: help needs \"HELP\", \"NODE_NAME\" and \"RG_NODE_PTR\" (") +
                                  error.what() + ")");
        }
        errors = lines.take();
    }
    HelpResult result = outcome<HelpResult>(status, std::move(errors));
    result.output = call.output();
    return result;
}

std::string modulePluginPath()
{
    Dl_info module{};
    ::dladdr(reinterpret_cast<void*>(&modulePluginPath), &module);
    return rghost::pluginBeside(std::filesystem::path(module.dli_fname).parent_path());
}

} // namespace

LoadedPlugin::LoadedPlugin(const std::string& path)
    : plugin_([&] {
          try {
              return rghost::Plugin(path);
          } catch (const rghost::PluginError& error) {
              raise(PyExc_OSError, error.what());
          }
      }()),
      schema_(rghost::declaredAttributes(plugin_))
{
    for (const AttributeDescriptor& attribute : schema_) {
        declarations_[attribute.key] = DeclaredValue{rghost::attributeTypeName(attribute.typeCode), attribute.option3};
    }
    for (const rghost::ControlReference& reference : rghost::controlReferences()) {
        if (reference.scope == rghost::ControlScope::Host) {
            declarations_[std::string(reference.name)] = DeclaredValue{std::string(reference.typeName), reference.list};
        }
    }
}

std::shared_ptr<LoadedPlugin> defaultPlugin()
{
    static const std::shared_ptr<LoadedPlugin> plugin = std::make_shared<LoadedPlugin>(modulePluginPath());
    return plugin;
}

Node::Node(std::shared_ptr<LoadedPlugin> plugin, std::string name)
    : plugin_(std::move(plugin)), name_(std::move(name)), node_(plugin_->plugin().createNode(name_))
{
}

std::unique_lock<std::mutex> Node::lockForCall()
{
    std::unique_lock<std::mutex> lock(busy_, std::try_to_lock);
    if (!lock.owns_lock()) {
        throw std::runtime_error("node " + name_ +
                                 " is running an operation on another thread; a node runs one at a time");
    }
    return lock;
}

void bindPlugin(py::module_& module)
{
    module.def(
        "empty_points",
        [](std::size_t count) { return adoptPointArray(std::vector<Imath::V3d>(count, Imath::V3d(0.0))); },
        py::arg("count"),
        "A zeroed (count, 3) float64 array held as a host point list: deformed in place "
        "(node.deform(attrs, a, out=a)) it is neither copied in nor out.");
    py::class_<Result>(module, "Result", "What a node operation returned: its status and the error lines it showed.")
        .def_readonly("status", &Result::status)
        .def_readonly("status_name", &Result::statusName)
        .def_readonly("errors", &Result::errors)
        .def("__repr__", [](const Result& self) {
            return "<Result " + self.statusName + ", " + std::to_string(self.errors.size()) + " error lines>";
        });
    py::class_<DeformResult, Result>(module, "DeformResult", "A Result with the points after deform, shape (N, 3).")
        .def_readonly("points", &DeformResult::points);
    py::class_<HelpResult, Result>(module, "HelpResult", "A Result with the reply help stored under OUTPUT (or None).")
        .def_readonly("output", &HelpResult::output);

    py::class_<Node>(module, "Node", "One node of a plug-in.")
        .def_property_readonly("name", &Node::name)
        .def("deform", &deform, py::arg("attrs"), py::arg("points"), py::arg("matrix") = py::none(),
             py::arg("weights") = py::none(), py::arg("enabled") = true, py::arg("out") = py::none(),
             "Deforms a copy of points (N, 3); the result goes to out when given. Runs without the GIL.")
        .def("validate", &validate, py::arg("attrs"))
        .def("__repr__", [](const Node& self) { return "<lidshaper.Node " + self.name() + ">"; });

    py::class_<LoadedPlugin, std::shared_ptr<LoadedPlugin>>(module, "Plugin", "A loaded lidShaper plug-in.")
        .def_property_readonly("path", [](const LoadedPlugin& self) { return self.plugin().path(); })
        .def(
            "create",
            [](const std::shared_ptr<LoadedPlugin>& self, const std::string& name) {
                return std::make_unique<Node>(self, name);
            },
            py::arg("name") = "rgNode1", "A new node standing for the dependency node `name`.")
        .def(
            "schema",
            [](const LoadedPlugin& self, bool hostSettings) { return describeAttributes(self.schema(), hostSettings); },
            py::arg("host_settings") = false,
            "The attributes a node declares, described; with host_settings, the host's own settings first.")
        .def("help", &help, py::arg("args") = py::dict(), py::arg("node_name") = "rgNode1")
        .def("__repr__", [](const LoadedPlugin& self) { return "<lidshaper.Plugin " + self.plugin().path() + ">"; });

    module.def(
        "load_plugin",
        [](std::optional<std::string> path) { return path ? std::make_shared<LoadedPlugin>(*path) : defaultPlugin(); },
        py::arg("path") = py::none(), "Loads the plug-in at path (default: the build's, beside this module).");
}

} // namespace lidshaper
