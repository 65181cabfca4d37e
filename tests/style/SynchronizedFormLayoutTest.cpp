#include "style/KDSynchronizedFormLayout.h"
#include "style/KelStyle.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProxyStyle>
#include <QSpacerItem>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace {

using Form = KDSynchronizedFormLayout;

// Collects warnings while alive.
class WarningCatcher
{
public:
    WarningCatcher()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&WarningCatcher::handle);
    }
    ~WarningCatcher() { qInstallMessageHandler(m_previous); }
    QStringList messages() const { return s_messages; }

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtWarningMsg)
            s_messages << message;
    }
    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

// Counts invalidations, including those that spread from another layout of a group.
class CountingForm : public KDSynchronizedFormLayout
{
public:
    using KDSynchronizedFormLayout::KDSynchronizedFormLayout;
    void invalidate() override
    {
        ++invalidations;
        order->append(objectName());
        KDSynchronizedFormLayout::invalidate();
    }
    int invalidations = 0;
    QStringList* order = &ownOrder;
    QStringList ownOrder;
};

// Fixed layout spacings, to see where a form takes its spacing from.
class SpacingStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_LayoutHorizontalSpacing)
            return 8;
        if (metric == PM_LayoutVerticalSpacing)
            return 5;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

TEST(SynchronizedFormLayoutTest, MisuseIsReportedWithTheFourWarnings)
{
    QWidget host;
    auto* form = new Form(&host);
    form->setObjectName(QStringLiteral("parameters"));
    auto* first = new QWidget;
    form->addRow(new QWidget, first);

    {
        WarningCatcher catcher;
        form->addRow(static_cast<QWidget*>(nullptr));
        form->insertRow(0, static_cast<QLayout*>(nullptr));
        EXPECT_EQ(catcher.messages(),
                  (QStringList{"KDSynchronizedFormLayout: Cannot add null field to parameters",
                               "KDSynchronizedFormLayout: Cannot add null field to parameters"}));
        EXPECT_EQ(form->rowCount(), 1);
    }
    {
        WarningCatcher catcher;
        auto* second = new QWidget;
        form->setWidget(0, Form::FieldRole, second);
        EXPECT_EQ(catcher.messages(),
                  QStringList{"KDSynchronizedFormLayout::Private::setItem: Cell (0, 1) already occupied"});
        EXPECT_EQ(form->itemAt(0, Form::FieldRole)->widget(), first);
        // The widget was adopted before the cell was examined and stays with the host.
        EXPECT_EQ(second->parentWidget(), &host);
        EXPECT_EQ(form->count(), 2);
    }
    {
        WarningCatcher catcher;
        QSpacerItem spacer(1, 1);
        form->setItem(-1, Form::LabelRole, &spacer);
        form->setItem(0, Form::ItemRole(3), &spacer);
        EXPECT_EQ(catcher.messages(),
                  (QStringList{"KDSynchronizedFormLayout::Private::setItem: Invalid cell (-1, 0)",
                               "KDSynchronizedFormLayout::Private::setItem: Invalid cell (0, 3)"}));
        EXPECT_EQ(form->count(), 2);
    }
    {
        WarningCatcher catcher;
        EXPECT_EQ(form->takeAt(7), nullptr);
        EXPECT_EQ(form->takeAt(-1), nullptr);
        EXPECT_EQ(catcher.messages(),
                  (QStringList{"KDSynchronizedFormLayout::takeAt: Invalid index 7",
                               "KDSynchronizedFormLayout::takeAt: Invalid index -1"}));
    }
}

TEST(SynchronizedFormLayoutTest, GroupIsOneDirectionalAndSetOnlyOnChange)
{
    QWidget hostA;
    QWidget hostB;
    auto* a = new CountingForm(&hostA);
    auto* b = new CountingForm(&hostB);
    a->setObjectName(QStringLiteral("A"));
    b->setObjectName(QStringLiteral("B"));
    a->addRow(new QWidget, new QWidget);
    b->addRow(new QWidget, new QWidget);
    a->setGeometry(QRect(0, 0, 100, 100));
    b->setGeometry(QRect(0, 0, 100, 100));
    a->invalidations = b->invalidations = 0;

    a->setSynchronizedLayout(b);
    EXPECT_EQ(a->synchronizedLayouts(), QVector<KDSynchronizedFormLayout*>{b});
    EXPECT_TRUE(b->synchronizedLayouts().isEmpty());
    EXPECT_EQ(a->invalidations, 1);
    EXPECT_EQ(b->invalidations, 1); // A invalidates B ...

    a->setGeometry(QRect(0, 0, 100, 101));
    b->setGeometry(QRect(0, 0, 100, 101));
    b->addRow(new QWidget, new QWidget);
    EXPECT_EQ(a->invalidations, 1); // ... but B does not reach A
    EXPECT_EQ(b->invalidations, 2);

    a->setGeometry(QRect(0, 0, 100, 102));
    a->setSynchronizedLayouts({b});
    EXPECT_EQ(a->invalidations, 1);
}

TEST(SynchronizedFormLayoutTest, InvalidationSpreadsThroughTheGroupAndStopsAtDirtyLayouts)
{
    QWidget hostA;
    QWidget hostB;
    QStringList order;
    auto* a = new CountingForm(&hostA);
    auto* b = new CountingForm(&hostB);
    a->setObjectName(QStringLiteral("A"));
    b->setObjectName(QStringLiteral("B"));
    a->order = &order;
    b->order = &order;
    a->addRow(new QWidget, new QWidget);
    b->addRow(new QWidget, new QWidget);
    a->setSynchronizedLayouts({a, b});
    b->setSynchronizedLayouts({a, b});
    a->setGeometry(QRect(0, 0, 100, 100));
    b->setGeometry(QRect(0, 0, 100, 100));
    order.clear();

    b->addRow(new QWidget, new QWidget);
    // B, then A (from B's group), then A and B again from A's group, where both stop at once.
    EXPECT_EQ(order, (QStringList{"B", "A", "A", "B", "B"}));
    EXPECT_EQ(a->rowCount(), 1);
    EXPECT_EQ(b->rowCount(), 2);
}
