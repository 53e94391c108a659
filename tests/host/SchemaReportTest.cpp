#include <sstream>

#include <gtest/gtest.h>

#include "io/SchemaReport.h"

namespace {

std::vector<AttributeDescriptor> sampleSchema()
{
    AttributeDescriptor indices("L__idxs", "lidShaper__eyes__L_eye__idxs", AttributeType::Int, false);
    indices.option2 = indices.option3 = indices.option5 = true;
    AttributeDescriptor size("L__size", "lidShaper__eyes__L_eye__size", AttributeType::Double, false);
    size.option1 = size.limitAEnabled = true;
    size.defaultValue[0] = -25;
    AttributeDescriptor centre("c", "centre", AttributeType::Vector, false);
    centre.defaultValue = {1, 2.5, 3, 9};
    centre.nested.emplace_back("n", "child", static_cast<AttributeType>(5), false);
    return {indices, size, centre};
}

TEST(SchemaReport, AlignsOneRowPerAttribute)
{
    std::istringstream table(rghost::formatSchemaTable(sampleSchema()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(table, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 5u);
    const std::size_t typeColumn = lines[0].find("TYPE");
    EXPECT_EQ(lines[1].find("RgInt"), typeColumn);
    EXPECT_EQ(lines[2].find("RgDouble"), typeColumn);
    EXPECT_EQ(lines[3].find("RgVector"), typeColumn);
    EXPECT_EQ(lines[4].find("type 5"), typeColumn);

    EXPECT_NE(lines[1].find("values  0  "), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 23), "option2 option3 option5");
    EXPECT_NE(lines[2].find("value   -25 "), std::string::npos) << lines[2];
    EXPECT_EQ(lines[2].substr(lines[2].size() - 16), "option1 limitA=0");
    EXPECT_NE(lines[3].find("(1, 2.5, 3)"), std::string::npos) << lines[3];
    EXPECT_EQ(lines[4].rfind("  child", 0), 0u) << lines[4];
}

} // namespace
