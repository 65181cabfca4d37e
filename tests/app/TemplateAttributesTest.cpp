#include "AppTestSupport.h"
#include "TemplateTestSupport.h"

#include "app/KelAdjective.h"
#include "app/KelAttribute.h"
#include "app/KelPlainAtomHolder.h"
#include "params/StringParameter.h"

#include <QUuid>

#include <limits>

#include <gtest/gtest.h>

using TemplateTest::CountingAtom;
using TemplateTest::CountingFactoryScope;

namespace {

KelUtils::Parameter* attributeTextParameter()
{
    return new KelUtils::StringParameter(QStringLiteral("caption"), QStringLiteral("Caption"),
                                         nullptr, nullptr, false, 1);
}

KelAttribute attributeWithAtom(KelAtomHolder* atom)
{
    KelAttribute attribute;
    attribute.setAtom(atom);
    return attribute;
}

} // namespace

TEST(KelAttribute, TypeReadsLoadedDoublesAndRejectsWhatIsNoNumber)
{
    KelAttribute attribute;
    attribute.setValue("type", 3.0);
    EXPECT_EQ(attribute.type(), KelAttribute::TransformScript);
    attribute.setValue("type", 0.0);
    EXPECT_EQ(attribute.type(), KelAttribute::NodeParameterAttribute);
    attribute.setValue("type", 1e300);
    EXPECT_EQ(int(attribute.type()), 0);
    attribute.setValue("type", std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(int(attribute.type()), 0);
    attribute.setValue("type", QStringLiteral("two"));
    EXPECT_EQ(int(attribute.type()), 0);
    attribute.values.remove("type");
    EXPECT_EQ(int(attribute.type()), 0);
    EXPECT_EQ(attribute.value("missing", 42).toInt(), 42);
}

TEST(KelAttribute, OnlyAPointerTheProgramStoredCountsAsEditor)
{
    KelAttribute attribute;
    attribute.setValue("atom", 1234.0);
    attribute.setValue("atom_parameter", QStringLiteral("0x1234"));
    EXPECT_EQ(attribute.atom(), nullptr);
    EXPECT_EQ(attribute.atomParameter(), nullptr);
}

TEST(KelAtomHolder, WithoutFactoryTheHolderHasNoWidgetsAndOwnsItsParameter)
{
    EXPECT_EQ(KelAtomHolder::create(nullptr), nullptr);
    KelUtils::Parameter* parameter = attributeTextParameter();
    KelAtomHolder* atom = KelAtomHolder::create(parameter);
    ASSERT_NE(atom, nullptr);
    EXPECT_NE(dynamic_cast<KelPlainAtomHolder*>(atom), nullptr);
    EXPECT_EQ(atom->parameter(), parameter);
    atom->createUI();
    EXPECT_EQ(atom->widget(), nullptr);
    delete atom; // deletes the parameter too (checked by the sanitizer build)

    CountingFactoryScope factory;
    KelAtomHolder* counted = KelAtomHolder::create(attributeTextParameter());
    EXPECT_NE(dynamic_cast<CountingAtom*>(counted), nullptr);
    delete counted;
    EXPECT_EQ(CountingAtom::destroyed, 1);
}

TEST(KelAdjective, SameUuidKeepsTheSecondAndDeletesTheReplacedEditor)
{
    CountingFactoryScope factory;
    {
        KelAdjective adjective;
        KelAttribute first = attributeWithAtom(KelAtomHolder::create(attributeTextParameter()));
        KelAttribute second(first);
        second.setAtom(KelAtomHolder::create(attributeTextParameter()));
        second.setValue("marker", 2);
        adjective.setAttribute(first);
        adjective.setAttribute(second);
        ASSERT_EQ(adjective.attributes().size(), 1);
        EXPECT_EQ(adjective.attributeValue(first.uuid(), "marker").toInt(), 2);
        EXPECT_EQ(CountingAtom::destroyed, 1);

        // Storing the same attribute again must not delete its own editor.
        adjective.setAttribute(second);
        EXPECT_EQ(CountingAtom::destroyed, 1);
    }
    EXPECT_EQ(CountingAtom::created, 2);
    EXPECT_EQ(CountingAtom::destroyed, 2);
}

TEST(KelAdjective, DestructionDeletesEachEditorOnceAndSkipsAttributesWithout)
{
    CountingFactoryScope factory;
    {
        KelAdjective adjective;
        KelAttribute withAtom = attributeWithAtom(KelAtomHolder::create(attributeTextParameter()));
        adjective.setAttribute(withAtom);
        adjective.setAttribute(KelAttribute(KelAttribute::Variable));
        // A copy moved to another uuid shares the editor.
        adjective.setAttributeValue(withAtom.uuid(), "uuid", QUuid::createUuid().toString());
        EXPECT_EQ(adjective.attributes().size(), 3);
    }
    EXPECT_EQ(CountingAtom::created, 1);
    EXPECT_EQ(CountingAtom::destroyed, 1);
}

TEST(KelAdjective, RemovingOrRetypingAnAttributeDeletesItsEditor)
{
    CountingFactoryScope factory;
    KelAdjective adjective;
    KelAttribute removed = attributeWithAtom(KelAtomHolder::create(attributeTextParameter()));
    KelAttribute retyped = attributeWithAtom(KelAtomHolder::create(attributeTextParameter()));
    adjective.setAttribute(removed);
    adjective.setAttribute(retyped);

    adjective.removeAttribute(removed.uuid());
    EXPECT_EQ(CountingAtom::destroyed, 1);
    EXPECT_EQ(adjective.attributes().size(), 1);
    adjective.removeAttribute(removed.uuid());
    EXPECT_EQ(CountingAtom::destroyed, 1);

    adjective.setAttributeType(retyped.uuid(), KelAttribute::NodeDisconnectAttribute);
    EXPECT_EQ(CountingAtom::destroyed, 2);
    EXPECT_EQ(adjective.attributeValue(retyped.uuid(), "name").toString(),
              QStringLiteral("Node Disconnect Attribute"));
    EXPECT_EQ(adjective.attributes().value(retyped.uuid()).atom(), nullptr);
}
