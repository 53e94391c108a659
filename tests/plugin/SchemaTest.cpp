// declareAttributes through the loaded plug-in: each call appends the node's
// rows after whatever the host put there, and every call appends the same rows.
// What the rows hold is pinned by tests/data/schema/declared-attributes.json,
// compared with `rghost schema --json`.

#include <gtest/gtest.h>

#include "PluginHarness.h"

namespace {

using namespace pluginharness;

// Every member; the nested list only by size, as the node never fills it.
bool equal(const AttributeDescriptor& a, const AttributeDescriptor& b)
{
    return a.shortName == b.shortName && a.key == b.key && a.typeCode == b.typeCode && a.option0 == b.option0 &&
           a.option1 == b.option1 && a.option2 == b.option2 && a.option3 == b.option3 && a.option4 == b.option4 &&
           a.option5 == b.option5 && a.nested.size() == b.nested.size() && a.textList == b.textList &&
           a.defaultValue == b.defaultValue && a.text == b.text && a.limitAEnabled == b.limitAEnabled &&
           a.limitBEnabled == b.limitBEnabled && a.limitA == b.limitA && a.limitB == b.limitB;
}

TEST(AttributeSchema, EveryCallAppendsTheSameRowsAfterWhatIsThere)
{
    const auto node = plugin().createNode("schemaNode");
    std::vector<AttributeDescriptor> rows;
    node->declareAttributes(rows);
    const std::size_t count = rows.size();
    ASSERT_GT(count, 0u);

    std::vector<AttributeDescriptor> attributes;
    attributes.emplace_back("host", "hostOwnAttribute", AttributeType::Double, true);
    node->declareAttributes(attributes);
    node->declareAttributes(attributes);
    ASSERT_EQ(attributes.size(), 1u + 2 * count);

    EXPECT_EQ(attributes[0].key, "hostOwnAttribute");
    EXPECT_TRUE(attributes[0].option0);
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(equal(attributes[1 + i], rows[i])) << "row " << i + 1;
        EXPECT_TRUE(equal(attributes[1 + count + i], rows[i])) << "row " << i + 1;
    }
}

} // namespace
