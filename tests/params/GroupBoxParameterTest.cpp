#include "params/GroupBoxParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterFactory.h"

#include <QDomDocument>
#include <QDomElement>

#include <gtest/gtest.h>

using namespace KelUtils;

TEST(GroupBoxParameter, StoresOnlyTheCommonAttributes)
{
    ParameterContainer container(QStringLiteral("node"), QString());
    auto* box = new GroupBoxParameter(QStringLiteral("generalBox"), QStringLiteral("General"), &container, 1);
    container.paramLists().append(ParameterList{QStringLiteral("basic"), true, {box}});
    EXPECT_EQ(box->type(), ParamGroupBox);
    Parameter* base = box;
    EXPECT_EQ(static_cast<GroupBoxParameter*>(*base), box);
    EXPECT_FALSE(box->supportsKeyframes());

    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("param"));
    ASSERT_EQ(box->store(e, doc), 0);
    EXPECT_EQ(e.attributes().size(), 2);
    EXPECT_EQ(e.attribute(QStringLiteral("name")), QStringLiteral("generalBox"));
    EXPECT_EQ(e.attribute(QStringLiteral("flags")), QStringLiteral("1"));
    EXPECT_FALSE(e.hasChildNodes());

    e.setAttribute(QStringLiteral("flags"), QStringLiteral("12"));
    ASSERT_EQ(box->load(e), 0);
    EXPECT_EQ(box->displayFlags(), 4);

    // Stand-alone: the kind and title are written, yet the factory builds no group box.
    GroupBoxParameter loose(QStringLiteral("box"), QStringLiteral("Box"), nullptr, 1);
    QDomElement s = doc.createElement(QStringLiteral("parameter"));
    loose.store(s, doc);
    EXPECT_EQ(s.attribute(QStringLiteral("type")), QStringLiteral("1"));
    EXPECT_EQ(s.attribute(QStringLiteral("ui_text")), QStringLiteral("Box"));
    EXPECT_EQ(createParameter(s), nullptr);
}
