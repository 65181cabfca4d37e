#include "params/ListParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterFactory.h"

#include <QDomDocument>
#include <QDomElement>

#include <gtest/gtest.h>

#include <memory>

using namespace KelUtils;

namespace {

void countListChange(IParameterContainer*, Parameter*, void* userData)
{
    ++*static_cast<int*>(userData);
}

const ListItem ThreeSeven[] = {{3, QStringLiteral("Three")}, {7, QStringLiteral("Seven")}};

struct ListFixture
{
    ParameterContainer container{QStringLiteral("node"), QString()};
    int value = -100;
    ListParameter* param = nullptr;
    int changes = 0;

    explicit ListFixture(int defaultId = 7)
    {
        param = new ListParameter(QStringLiteral("mode"), QStringLiteral("Mode:"), &container,
                                  &value, ThreeSeven, 2, defaultId, 1);
        container.paramLists().append(ParameterList{QStringLiteral("basic"), true, {param}});
        container.paramCallbacks().append(ParameterCallback{countListChange, &changes});
    }
};

QDomElement parseList(QDomDocument& doc, QString const& xml)
{
    EXPECT_TRUE(bool(doc.setContent(xml)));
    return doc.documentElement();
}

} // namespace

TEST(ListParameter, SelectsByIdAndNotifiesOnlyChanges)
{
    ListFixture f;
    EXPECT_EQ(f.param->type(), ParamList);
    EXPECT_EQ(f.value, 7);
    EXPECT_EQ(f.param->currentIndex(), 1);
    ASSERT_NE(f.param->currentItem(), nullptr);
    EXPECT_EQ(f.param->currentItem()->name, QStringLiteral("Seven"));

    EXPECT_EQ(f.param->setValue(3), 0);
    EXPECT_EQ(f.value, 3);
    EXPECT_EQ(f.changes, 1);
    EXPECT_EQ(f.param->setValue(3), 0);
    EXPECT_EQ(f.changes, 1);
    EXPECT_EQ(f.param->setValue(5), -1);
    EXPECT_EQ(f.value, 3);
    EXPECT_EQ(f.param->value(), 3);
    EXPECT_EQ(f.changes, 1);
}

TEST(ListParameter, UnknownDefaultChoosesNothing)
{
    ListFixture f(42);
    EXPECT_EQ(f.value, -100); // not written
    EXPECT_EQ(f.param->currentItem(), nullptr);
    EXPECT_EQ(f.param->currentIndex(), -1);
    EXPECT_EQ(f.param->setValue(3), 0);
    EXPECT_EQ(f.param->currentIndex(), 0);
}

TEST(ListParameter, EmptyListsRefuseEverything)
{
    ListParameter fromNull(QStringLiteral("a"), QString(), nullptr, nullptr, nullptr, 5, 0, 1);
    ListParameter fromZero(QStringLiteral("b"), QString(), nullptr, nullptr, ThreeSeven, 0, 3, 1);
    for (ListParameter* p : {&fromNull, &fromZero}) {
        EXPECT_EQ(p->itemCount(), 0);
        EXPECT_EQ(p->currentItem(), nullptr);
        EXPECT_EQ(p->setValue(0), -1);
        EXPECT_EQ(p->setValue(3), -1);
        EXPECT_EQ(p->itemAt(0), nullptr);
    }
}

TEST(ListParameter, DuplicateIdsAndIndexes)
{
    const ListItem items[] = {{1, QStringLiteral("first")}, {2, QStringLiteral("x")},
                              {1, QStringLiteral("second")}};
    ListParameter p(QStringLiteral("dup"), QString(), nullptr, nullptr, items, 3, 1, 1);
    EXPECT_EQ(p.currentIndex(), 2); // construction: the last item with the default id
    p.setValue(2);
    p.setValue(1);
    EXPECT_EQ(p.currentIndex(), 0); // lookups: the first one
    EXPECT_EQ(p.indexOfId(1), 0);
    EXPECT_EQ(p.indexOfId(9), -1);
    EXPECT_EQ(p.itemAt(-1), nullptr);
    EXPECT_EQ(p.itemAt(3), nullptr);
    ASSERT_NE(p.itemAt(1), nullptr);
    EXPECT_EQ(p.itemAt(1)->name, QStringLiteral("x"));
}

TEST(ListParameter, CopiesTheItemsItIsGiven)
{
    QList<ListItem*> given{new ListItem{4, QStringLiteral("four")}, new ListItem{9, QStringLiteral("nine")}};
    ListParameter p(QStringLiteral("l"), QString(), nullptr, nullptr, given, 9, 1);
    qDeleteAll(given);
    given.clear();
    EXPECT_EQ(p.items(), (QList<ListItem>{{4, QStringLiteral("four")}, {9, QStringLiteral("nine")}}));
    EXPECT_EQ(p.value(), 9);
}

TEST(ListParameter, CloneKeepsTheChoiceInItsOwnStorage)
{
    ListFixture f;
    f.param->setValue(3);
    f.param->setDisplayFlags(5);
    std::unique_ptr<Parameter> copy(f.param->clone());
    ListParameter* c = *copy;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->container(), nullptr);
    EXPECT_EQ(c->displayFlags(), 1);
    EXPECT_EQ(c->items(), f.param->items());
    EXPECT_EQ(c->value(), 3);
    c->setValue(7);
    EXPECT_EQ(f.value, 3);
}

TEST(ListParameter, XmlInsideAContainerHoldsOnlyTheChoice)
{
    ListFixture f;
    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("param"));
    f.param->store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("value")), QStringLiteral("7"));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("num_items")));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("item_id0")));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("frame_num")));

    ListFixture g;
    g.param->setValue(3);
    ASSERT_EQ(g.param->load(e), 0);
    EXPECT_EQ(g.value, 7);
    EXPECT_EQ(g.changes, 1); // the load itself does not notify
}

TEST(ListParameter, StandAloneRoundTripThroughTheFactory)
{
    const ListItem items[] = {{4, QStringLiteral("Vier <&> \"ü\"")}, {-9, QStringLiteral("minus")}};
    ListParameter original(QStringLiteral("pick"), QStringLiteral("Pick:"), nullptr, nullptr, items, 2, -9, 5);

    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("parameter"));
    original.store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("type")), QStringLiteral("7"));
    EXPECT_EQ(e.attribute(QStringLiteral("num_items")), QStringLiteral("2"));
    EXPECT_EQ(e.attribute(QStringLiteral("item_id1")), QStringLiteral("-9"));

    // Through text, as a template file would carry it.
    QDomDocument holder;
    holder.appendChild(holder.importNode(e, true));
    QDomDocument reread;
    ASSERT_TRUE(bool(reread.setContent(holder.toString())));
    std::unique_ptr<Parameter> loaded(createParameter(reread.documentElement()));
    ListParameter* l = loaded ? static_cast<ListParameter*>(*loaded) : nullptr;
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->items(), original.items());
    EXPECT_EQ(l->value(), -9);
    EXPECT_EQ(l->displayFlags(), 5);
}

TEST(ListParameter, RefusedElementsChangeNothing)
{
    ListFixture f;
    f.param->setValue(3);
    QDomDocument doc;
    for (QString const& xml : {QStringLiteral("<param name='mode' flags='4'/>"),
                               QStringLiteral("<param name='mode' flags='4' value=''/>"),
                               QStringLiteral("<param name='mode' flags='4' value='5'/>"),
                               QStringLiteral("<param name='mode' flags='4' value='nan'/>")}) {
        QDomElement e = parseList(doc, xml);
        EXPECT_EQ(f.param->load(e), -1) << qPrintable(xml);
        EXPECT_EQ(f.value, 3);
        EXPECT_EQ(f.param->currentIndex(), 0);
        EXPECT_EQ(f.param->displayFlags(), 1);
    }
}
