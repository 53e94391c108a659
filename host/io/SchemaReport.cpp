#include "io/SchemaReport.h"

#include <algorithm>
#include <array>

#include <nlohmann/json.hpp>

#include "core/ControlGroup.h"
#include "core/ControlReference.h"
#include "core/ShortNumber.h"
#include "io/JsonLayout.h"

namespace rghost {

namespace {

using nlohmann::ordered_json;
using Row = std::array<std::string, 7>;

const char* formName(const AttributeDescriptor& attribute)
{
    // Readers take the list `values` exactly where the host's option3 is set.
    return attribute.option3 ? "values" : "value";
}

std::string summaryOf(const std::string& key)
{
    const ControlReference* reference = findControl(key);
    return reference ? std::string(reference->summary) : std::string();
}

std::string defaultText(const AttributeDescriptor& attribute)
{
    const auto& d = attribute.defaultValue;
    if (attribute.typeCode == AttributeType::Vector) {
        return "(" + shortNumber(d[0]) + ", " + shortNumber(d[1]) + ", " + shortNumber(d[2]) + ")";
    }
    return shortNumber(d[0]);
}

std::string flagsText(const AttributeDescriptor& attribute)
{
    const std::array<bool, 6> options = {attribute.option0, attribute.option1, attribute.option2,
                                         attribute.option3, attribute.option4, attribute.option5};
    std::string flags;
    const auto add = [&flags](const std::string& flag) { flags += (flags.empty() ? "" : " ") + flag; };
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i]) {
            add("option" + std::to_string(i));
        }
    }
    if (attribute.limitAEnabled) {
        add("limitA=" + shortNumber(attribute.limitA[0]));
    }
    if (attribute.limitBEnabled) {
        add("limitB=" + shortNumber(attribute.limitB[0]));
    }
    return flags;
}

void collectRows(const std::vector<AttributeDescriptor>& attributes, const std::string& indent, std::vector<Row>& rows)
{
    for (const AttributeDescriptor& attribute : attributes) {
        rows.push_back({indent + attribute.key, attribute.shortName, attributeTypeName(attribute.typeCode),
                        formName(attribute), defaultText(attribute), flagsText(attribute), summaryOf(attribute.key)});
        collectRows(attribute.nested, indent + "  ", rows);
    }
}

ordered_json descriptorJson(const AttributeDescriptor& attribute)
{
    ordered_json nested = ordered_json::array();
    for (const AttributeDescriptor& child : attribute.nested) {
        nested.push_back(descriptorJson(child));
    }
    const ControlReference* reference = findControl(attribute.key);
    const auto text = [reference](std::string_view ControlReference::*member) {
        return reference ? ordered_json(std::string(reference->*member)) : ordered_json();
    };
    const ordered_json range =
        reference && reference->range ? ordered_json(describeRange(*reference->range)) : ordered_json();
    const ControlGroup placement = controlGroupOf(attribute.key);
    return {{"key", attribute.key},
            {"shortName", attribute.shortName},
            {"side", std::string(placement.side)},
            {"group", std::string(placement.group)},
            {"typeCode", static_cast<std::int32_t>(attribute.typeCode)},
            {"typeName", attributeTypeName(attribute.typeCode)},
            {"form", formName(attribute)},
            {"defaultValue", attribute.defaultValue},
            {"option0", attribute.option0},
            {"option1", attribute.option1},
            {"option2", attribute.option2},
            {"option3", attribute.option3},
            {"option4", attribute.option4},
            {"option5", attribute.option5},
            {"limitA", {{"enabled", attribute.limitAEnabled}, {"value", attribute.limitA}}},
            {"limitB", {{"enabled", attribute.limitBEnabled}, {"value", attribute.limitB}}},
            {"text", attribute.text},
            {"textList", attribute.textList},
            {"nested", std::move(nested)},
            {"description", text(&ControlReference::summary)},
            {"unit", text(&ControlReference::unit)},
            {"usefulRange", range},
            {"interactions", text(&ControlReference::interactions)}};
}

} // namespace

std::string attributeTypeName(AttributeType type)
{
    switch (type) {
    case AttributeType::Boolean: return "RgBoolean";
    case AttributeType::Int: return "RgInt";
    case AttributeType::Double: return "RgDouble";
    case AttributeType::Vector: return "RgVector";
    case AttributeType::NurbsCurve: return "RgNurbsCurve";
    case AttributeType::NurbsSurface: return "RgNurbsSurface";
    }
    return "type " + std::to_string(static_cast<std::int32_t>(type));
}

std::string formatSchemaTable(const std::vector<AttributeDescriptor>& attributes)
{
    std::vector<Row> rows = {{"KEY", "SHORT NAME", "TYPE", "FORM", "DEFAULT", "FLAGS", "DESCRIPTION"}};
    collectRows(attributes, "", rows);
    std::array<std::size_t, 7> width{};
    for (const Row& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            width[column] = std::max(width[column], row[column].size());
        }
    }
    std::string table;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            line += row[column];
            line.append(width[column] - row[column].size() + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        table += line + '\n';
    }
    return table;
}

std::string formatSchemaJson(const std::vector<AttributeDescriptor>& attributes)
{
    ordered_json list = ordered_json::array();
    for (const AttributeDescriptor& attribute : attributes) {
        list.push_back(descriptorJson(attribute));
    }
    return layOutJson(list, 1, ordered_json::error_handler_t::replace);
}

} // namespace rghost
