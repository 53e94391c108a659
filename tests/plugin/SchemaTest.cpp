// The attribute schema the node declares, checked row by row against the table
// the host builds its attributes from.

#include <gtest/gtest.h>

#include "PluginHarness.h"

namespace {

using namespace pluginharness;

struct Flags {
    bool option1, option2, option3, option5, limitA;
};
constexpr Flags kPlain{false, false, false, false, false};
constexpr Flags kAnimated{true, false, false, false, false};
constexpr Flags kList{false, true, true, true, false};
constexpr Flags kSize{true, false, false, false, true};
constexpr Flags kAnimatedList{true, false, true, true, false};

struct SchemaRow {
    const char* field;
    double defaultValue;
    Flags flags;
};

// Per eye, in declaration order; the value classes come from kEyeFields.
constexpr SchemaRow kEyeRows[] = {
    {"nurbsSphere", 0, kPlain},
    {"upperLidMinorCurve", 0, kPlain},
    {"lowerLidMinorCurve", 0, kPlain},
    {"centerEye", 0, kPlain},
    {"closeEye", 0, kPlain},
    {"closeLine", 0, kPlain},
    {"smoothOuter", 3, kAnimated},
    {"eyeCompute", 0, kPlain},
    {"upperLidControl", 0, kAnimated},
    {"upperLidOuterControl", 1, kAnimated},
    {"upperOpenEyeValue", 25, kAnimated},
    {"upperLidInnerIdxs", 0, kList},
    {"upperLidOuterIdxs", 0, kList},
    {"upperLidCenterIdxs", 0, kList},
    {"upperLidBetweenIdxs", 0, kList},
    {"upperLidInnerUV", 0, kList},
    {"upperLidOuterUV", 0, kList},
    {"upperLidMoveVector", 0, kList},
    {"upperLidOutLoopOffset", 0, kList},
    {"lowerLidControl", 0, kAnimated},
    {"lowerLidOuterControl", 1, kAnimated},
    {"lowerOpenEyeValue", -25, kAnimated},
    {"lowerLidInnerIdxs", 0, kList},
    {"lowerLidOuterIdxs", 0, kList},
    {"lowerLidCenterIdxs", 0, kList},
    {"lowerLidBetweenIdxs", 0, kList},
    {"lowerLidInnerUV", 0, kList},
    {"lowerLidOuterUV", 0, kList},
    {"lowerLidMoveVector", 0, kList},
    {"lowerLidOutLoopOffset", 0, kList},
    {"cornersIdxs", 0, kList},
    {"upperMountSize", 0, kSize},
    {"lowerMountSize", 0, kSize},
    {"pointsOffset", 0, kAnimatedList},
};
static_assert(std::size(kEyeRows) == kEyeFields.size());

AttributeType typeCodeOf(ValueClass valueClass)
{
    switch (valueClass) {
    case ValueClass::Boolean: return AttributeType::Boolean;
    case ValueClass::Int: return AttributeType::Int;
    case ValueClass::Double: return AttributeType::Double;
    case ValueClass::Vector: return AttributeType::Vector;
    case ValueClass::NurbsCurve: return AttributeType::NurbsCurve;
    case ValueClass::NurbsSurface: return AttributeType::NurbsSurface;
    case ValueClass::Float: break;
    }
    ADD_FAILURE() << "no attribute of class RgFloat is declared";
    return AttributeType::Boolean;
}

// Every member but the two names; the nested list only by size, as the node
// never fills it.
bool equalButNames(const AttributeDescriptor& a, const AttributeDescriptor& b)
{
    return a.typeCode == b.typeCode && a.option0 == b.option0 && a.option1 == b.option1 &&
           a.option2 == b.option2 && a.option3 == b.option3 && a.option4 == b.option4 && a.option5 == b.option5 &&
           a.nested.size() == b.nested.size() && a.textList == b.textList && a.defaultValue == b.defaultValue &&
           a.text == b.text && a.limitAEnabled == b.limitAEnabled && a.limitBEnabled == b.limitBEnabled &&
           (!a.limitAEnabled || a.limitA == b.limitA) && (!a.limitBEnabled || a.limitB == b.limitB);
}

bool equal(const AttributeDescriptor& a, const AttributeDescriptor& b)
{
    return a.shortName == b.shortName && a.key == b.key && equalButNames(a, b);
}

std::vector<AttributeDescriptor> declaredOnce()
{
    std::vector<AttributeDescriptor> attributes;
    plugin().createNode("schemaNode")->declareAttributes(attributes);
    return attributes;
}

void expectRow(const AttributeDescriptor& row, const std::string& key, const std::string& shortName,
               AttributeType typeCode, double defaultValue, Flags flags)
{
    SCOPED_TRACE(key);
    EXPECT_EQ(row.key, key);
    EXPECT_EQ(row.shortName, shortName);
    EXPECT_EQ(row.typeCode, typeCode);
    EXPECT_FALSE(row.option0);
    EXPECT_EQ(row.option1, flags.option1);
    EXPECT_EQ(row.option2, flags.option2);
    EXPECT_EQ(row.option3, flags.option3);
    EXPECT_FALSE(row.option4);
    EXPECT_EQ(row.option5, flags.option5);
    EXPECT_TRUE(row.nested.empty());
    EXPECT_TRUE(row.textList.empty());
    EXPECT_TRUE(row.text.empty());
    EXPECT_EQ(row.defaultValue, (std::array<double, 4>{defaultValue, 0, 0, 0}));
    EXPECT_EQ(row.limitAEnabled, flags.limitA);
    if (flags.limitA) {
        EXPECT_EQ(row.limitA[0], 0.0);
    }
    EXPECT_FALSE(row.limitBEnabled);
}

TEST(AttributeSchema, EveryCallAppendsTheSame69RowsAfterWhatIsThere)
{
    const auto node = plugin().createNode("schemaNode");
    std::vector<AttributeDescriptor> attributes;
    attributes.emplace_back("host", "hostOwnAttribute", AttributeType::Double, true);
    node->declareAttributes(attributes);
    ASSERT_EQ(attributes.size(), 1u + 69u);
    node->declareAttributes(attributes);
    ASSERT_EQ(attributes.size(), 1u + 138u);

    EXPECT_EQ(attributes[0].key, "hostOwnAttribute");
    EXPECT_TRUE(attributes[0].option0);
    for (std::size_t i = 0; i < 69; ++i)
        EXPECT_TRUE(equal(attributes[1 + i], attributes[1 + 69 + i])) << "row " << i + 1;
}

TEST(AttributeSchema, RowsMatchTheTableWithBothEyesAlike)
{
    const std::vector<AttributeDescriptor> attributes = declaredOnce();
    ASSERT_EQ(attributes.size(), 69u);

    for (std::size_t s = 0; s < 2; ++s)
        for (std::size_t i = 0; i < kEyeFields.size(); ++i) {
            ASSERT_STREQ(kEyeRows[i].field, kEyeFields[i].name);
            const std::string letter = s == 0 ? "L" : "R";
            expectRow(attributes[s * 34 + i], eyeAttributeKey(kEyeSides[s], kEyeFields[i].name),
                      letter + "__" + kEyeFields[i].name, typeCodeOf(kEyeFields[i].valueClass),
                      kEyeRows[i].defaultValue, kEyeRows[i].flags);
        }
    for (std::size_t i = 0; i < 34; ++i)
        EXPECT_TRUE(equalButNames(attributes[i], attributes[34 + i])) << "row " << i + 1;

    expectRow(attributes[68], kSoftRegionKey, "softRegion", AttributeType::Int, 0, kList);

    // Entry 35 starts the right eye.
    EXPECT_EQ(attributes[34].key, "lidShaper__eyes__R_eye__nurbsSphere");
    EXPECT_EQ(attributes[34].shortName, "R__nurbsSphere");
    EXPECT_EQ(static_cast<int>(attributes[34].typeCode), 8);
}

} // namespace
