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

} // namespace

TEST(ListParameter, SelectsByIdAndNotifiesOnlyChanges)
{
    ListFixture f;
    EXPECT_EQ(f.value, 7);
    EXPECT_EQ(f.param->currentIndex(), 1);
    EXPECT_EQ(f.param->setValue(3), 0);
    EXPECT_EQ(f.value, 3);
    EXPECT_EQ(f.param->setValue(3), 0);
    EXPECT_EQ(f.changes, 1);
    EXPECT_EQ(f.param->setValue(5), -1);
    EXPECT_EQ(f.value, 3);
    EXPECT_EQ(f.changes, 1);

    // An unknown default chooses nothing and writes nothing.
    ListFixture unknown(42);
    EXPECT_EQ(unknown.value, -100);
    EXPECT_EQ(unknown.param->currentItem(), nullptr);
    EXPECT_EQ(unknown.param->currentIndex(), -1);
}

TEST(ListParameter, EmptyListsDuplicateIdsAndBadIndexes)
{
    ListParameter fromNull(QStringLiteral("a"), QString(), nullptr, nullptr, nullptr, 5, 0, 1);
    ListParameter fromZero(QStringLiteral("b"), QString(), nullptr, nullptr, ThreeSeven, 0, 3, 1);
    for (ListParameter* p : {&fromNull, &fromZero}) {
        EXPECT_EQ(p->itemCount(), 0);
        EXPECT_EQ(p->currentItem(), nullptr);
        EXPECT_EQ(p->setValue(0), -1);
        EXPECT_EQ(p->itemAt(0), nullptr);
    }

    const ListItem items[] = {{1, QStringLiteral("first")}, {2, QStringLiteral("x")},
                              {1, QStringLiteral("second")}};
    ListParameter p(QStringLiteral("dup"), QString(), nullptr, nullptr, items, 3, 1, 1);
    EXPECT_EQ(p.currentIndex(), 2); // construction: the last item with the default id
    p.setValue(2);
    p.setValue(1);
    EXPECT_EQ(p.currentIndex(), 0); // lookups: the first one
    EXPECT_EQ(p.itemAt(-1), nullptr);
    EXPECT_EQ(p.itemAt(3), nullptr);

    // Items handed over as pointers are copied.
    QList<ListItem*> given{new ListItem{4, QStringLiteral("four")}, new ListItem{9, QStringLiteral("nine")}};
    ListParameter copied(QStringLiteral("l"), QString(), nullptr, nullptr, given, 9, 1);
    qDeleteAll(given);
    EXPECT_EQ(copied.items(), (QList<ListItem>{{4, QStringLiteral("four")}, {9, QStringLiteral("nine")}}));
}

TEST(ListParameter, XmlRoundTripsAndRefusedElementsChangeNothing)
{
    ListFixture f;
    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("param"));
    f.param->store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("value")), QStringLiteral("7"));
    EXPECT_FALSE(e.hasAttribute(QStringLiteral("num_items"))); // inside a container: the choice only

    ListFixture g;
    g.param->setValue(3);
    ASSERT_EQ(g.param->load(e), 0);
    EXPECT_EQ(g.value, 7);
    EXPECT_EQ(g.changes, 1); // the load itself does not notify

    for (QString const& value : {QString(), QStringLiteral(""), QStringLiteral("5"), QStringLiteral("nan")}) {
        QDomElement bad = doc.createElement(QStringLiteral("param"));
        bad.setAttribute(QStringLiteral("flags"), 4);
        if (!value.isNull())
            bad.setAttribute(QStringLiteral("value"), value);
        EXPECT_EQ(g.param->load(bad), -1) << qPrintable(value);
        EXPECT_EQ(g.value, 7);
        EXPECT_EQ(g.param->displayFlags(), 1);
    }

    // Stand-alone, through text as a template file carries it.
    const ListItem items[] = {{4, QStringLiteral("Vier <&> \"ü\"")}, {-9, QStringLiteral("minus")}};
    ListParameter original(QStringLiteral("pick"), QStringLiteral("Pick:"), nullptr, nullptr, items, 2, -9, 5);
    QDomDocument holder;
    QDomElement s = holder.createElement(QStringLiteral("parameter"));
    holder.appendChild(s);
    original.store(s, holder);
    EXPECT_EQ(s.attribute(QStringLiteral("type")), QStringLiteral("7"));
    QDomDocument reread;
    ASSERT_TRUE(bool(reread.setContent(holder.toString())));
    std::unique_ptr<Parameter> loaded(createParameter(reread.documentElement()));
    ListParameter* l = loaded ? static_cast<ListParameter*>(*loaded) : nullptr;
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->items(), original.items());
    EXPECT_EQ(l->value(), -9);
    EXPECT_EQ(l->displayFlags(), 5);
}
