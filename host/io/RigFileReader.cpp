#include "io/RigFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "io/AttributeValueReader.h"
#include "io/JsonFields.h"
#include "io/StrictJsonParser.h"

namespace rghost {

using nlohmann::json;

namespace {

const char* const rigFormat = "rg-rig/1";

void readFormat(const json& document)
{
    const json& format = requiredField(document, JsonPath(), "format");
    if (!format.is_string() || format.get_ref<const std::string&>() != rigFormat) {
        failAt(JsonPath() / "format", std::string("expected \"") + rigFormat + "\", got " +
                                          format.dump(-1, ' ', false, json::error_handler_t::replace));
    }
}

AttributeMap readAttributeMap(const json& object, const JsonPath& path, Rig& rig)
{
    requireObject(object, path);
    AttributeMap attributes;
    for (const auto& [key, value] : object.items()) {
        attributes.emplace(key, readAttributeValue(value, path / key, rig));
    }
    return attributes;
}

RigFrame readFrame(const json& object, const JsonPath& path, Rig& rig)
{
    requireObject(object, path);
    rejectUnknownFields(object, path, {"attributes"});
    RigFrame frame;
    const json* attributes = findField(object, "attributes");
    if (attributes == nullptr) {
        return frame;
    }
    const JsonPath attributesPath = path / "attributes";
    requireObject(*attributes, attributesPath);
    for (const auto& [key, value] : attributes->items()) {
        if (value.is_null()) {
            frame.removedKeys.push_back(key);
        } else {
            frame.overrides.emplace(key, readAttributeValue(value, attributesPath / key, rig));
        }
    }
    return frame;
}

std::vector<std::int32_t> readFace(const json& value, const JsonPath& path, std::size_t pointCount)
{
    std::vector<std::int32_t> face = readList(value, path, readInt32);
    if (face.size() < 3) {
        failAt(path, "a face needs at least 3 points, got " + std::to_string(face.size()));
    }
    for (std::size_t i = 0; i < face.size(); ++i) {
        if (face[i] < 0 || static_cast<std::size_t>(face[i]) >= pointCount) {
            failAt(path[i], "point index " + std::to_string(face[i]) + " is outside geometry.points (" +
                                std::to_string(pointCount) + " points)");
        }
    }
    return face;
}

void readGeometry(const json& object, const JsonPath& path, Rig& rig)
{
    requireObject(object, path);
    rejectUnknownFields(object, path, {"enabled", "points", "matrix", "weights", "faces"});
    RgDeformData& geometry = rig.geometry;
    if (const json* enabled = findField(object, "enabled")) {
        geometry.geometry = readBool(*enabled, path / "enabled");
    }
    geometry.points = readList(requiredField(object, path, "points"), path / "points", readVector3);
    if (const json* matrix = findField(object, "matrix")) {
        geometry.geometryMatrix = readMatrix(*matrix, path / "matrix");
    }
    if (const json* weights = findField(object, "weights")) {
        geometry.weights = readList(*weights, path / "weights", readFloat);
        if (geometry.weights.size() != geometry.points.size()) {
            failAt(path / "weights", "holds " + std::to_string(geometry.weights.size()) + " numbers but " +
                                         (path / "points").str() + " holds " + std::to_string(geometry.points.size()) +
                                         " points");
        }
    } else {
        geometry.weights.assign(geometry.points.size(), 1.0f);
    }
    if (const json* faces = findField(object, "faces")) {
        const std::size_t pointCount = geometry.points.size();
        rig.faces = readList(*faces, path / "faces", [pointCount](const json& face, const JsonPath& facePath) {
            return readFace(face, facePath, pointCount);
        });
    }
}

} // namespace

Rig parseRig(std::string_view text)
{
    const json document = parseStrictJson(text);
    const JsonPath root;
    requireObject(document, root);
    readFormat(document);

    Rig rig;
    for (const auto& field : document.items()) {
        if (std::find(kRigFileFields.begin(), kRigFileFields.end(), field.key()) == kRigFileFields.end()) {
            rig.unknownFields.push_back(field.key());
        }
    }
    if (const json* node = findField(document, "node")) {
        rig.nodeName = readString(*node, root / "node");
    }
    rig.attributes = readAttributeMap(requiredField(document, root, "attributes"), root / "attributes", rig);
    readGeometry(requiredField(document, root, "geometry"), root / "geometry", rig);
    if (const json* startFrame = findField(document, "startFrame")) {
        rig.startFrame = readInt32(*startFrame, root / "startFrame");
    }
    if (const json* frames = findField(document, "frames")) {
        rig.frames = readList(*frames, root / "frames", [&rig](const json& frame, const JsonPath& framePath) {
            return readFrame(frame, framePath, rig);
        });
    }
    return rig;
}

Rig readRigFile(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        throw RigFileError(std::string("cannot read the file: ") + std::strerror(errno));
    }
    std::string text;
    char buffer[1 << 16];
    ssize_t count = 0;
    while ((count = ::read(descriptor, buffer, sizeof buffer)) != 0) {
        if (count > 0) {
            text.append(buffer, static_cast<std::size_t>(count));
        } else if (errno != EINTR) {
            break;
        }
    }
    const int readError = errno;
    ::close(descriptor);
    if (count < 0) {
        throw RigFileError(std::string("cannot read the file: ") + std::strerror(readError));
    }
    return parseRig(text);
}

} // namespace rghost
