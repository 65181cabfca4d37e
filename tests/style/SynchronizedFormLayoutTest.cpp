#include "style/KDSynchronizedFormLayout.h"
#include "style/KelStyle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProxyStyle>
#include <QSpacerItem>
#include <QStringList>
#include <QVBoxLayout>
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

TEST(SynchronizedFormLayoutTest, AddRowPlacesLabelAndField)
{
    QWidget host;
    auto* form = new Form(&host);
    EXPECT_EQ(host.layout(), form);
    auto* label = new QLabel(QStringLiteral("Name"));
    auto* field = new QWidget;
    form->addRow(label, field);

    EXPECT_EQ(form->rowCount(), 1);
    EXPECT_EQ(form->count(), 2);
    ASSERT_NE(form->itemAt(0, Form::LabelRole), nullptr);
    EXPECT_EQ(form->itemAt(0, Form::LabelRole)->widget(), label);
    EXPECT_EQ(form->itemAt(0, Form::FieldRole)->widget(), field);
    EXPECT_EQ(form->itemAt(0, Form::SpanningRole), nullptr);
    EXPECT_EQ(form->labelForField(field), label);
    EXPECT_EQ(label->parentWidget(), &host);
    EXPECT_EQ(field->parentWidget(), &host);
    EXPECT_EQ(form->itemAt(0)->widget(), label);
    EXPECT_EQ(form->itemAt(1)->widget(), field);
    EXPECT_EQ(form->itemAt(2), nullptr);
    EXPECT_EQ(form->itemAt(1, Form::LabelRole), nullptr);
    EXPECT_EQ(form->itemAt(-1, Form::FieldRole), nullptr);
}

TEST(SynchronizedFormLayoutTest, RowsOutsideTheRangeAppendAndInsertingShiftsRows)
{
    QWidget host;
    auto* form = new Form(&host);
    auto* first = new QWidget;
    auto* second = new QWidget;
    form->addRow(new QWidget, first);
    form->addRow(new QWidget, second);

    auto* appended = new QWidget;
    form->insertRow(5, new QWidget, appended);
    auto* alsoAppended = new QWidget;
    form->insertRow(-1, new QWidget, alsoAppended);
    auto* front = new QWidget;
    form->insertRow(0, static_cast<QWidget*>(nullptr), front);

    EXPECT_EQ(form->rowCount(), 5);
    int row = -1;
    Form::ItemRole role = Form::LabelRole;
    form->getWidgetPosition(front, &row, &role);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(role, Form::FieldRole);
    form->getWidgetPosition(first, &row, &role);
    EXPECT_EQ(row, 1);
    form->getWidgetPosition(appended, &row, &role);
    EXPECT_EQ(row, 3);
    form->getWidgetPosition(alsoAppended, &row, &role);
    EXPECT_EQ(row, 4);
    EXPECT_EQ(form->labelForField(front), nullptr);

    QWidget stranger;
    role = Form::SpanningRole;
    form->getWidgetPosition(&stranger, &row, &role);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(role, Form::SpanningRole); // left alone when not found
}

TEST(SynchronizedFormLayoutTest, TextLabelsAreMadeWithTheFieldAsBuddy)
{
    QWidget host;
    auto* form = new Form(&host);
    auto* field = new QWidget;
    form->addRow(QStringLiteral("Amount"), field);
    auto* label = qobject_cast<QLabel*>(form->labelForField(field));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Amount"));
    EXPECT_EQ(label->buddy(), field);
    EXPECT_EQ(label->parentWidget(), &host);

    auto* nested = new QHBoxLayout;
    form->addRow(QStringLiteral("Range"), nested);
    auto* nestedLabel = qobject_cast<QLabel*>(form->labelForField(nested));
    ASSERT_NE(nestedLabel, nullptr);
    EXPECT_EQ(nestedLabel->text(), QStringLiteral("Range"));
    EXPECT_EQ(nestedLabel->buddy(), nullptr);
    EXPECT_EQ(nested->parent(), form);

    // An empty text makes no label.
    auto* bare = new QWidget;
    form->addRow(QString(), bare);
    EXPECT_EQ(form->labelForField(bare), nullptr);
    EXPECT_EQ(form->rowCount(), 3);
    EXPECT_EQ(form->count(), 5);
}

TEST(SynchronizedFormLayoutTest, SpanningRowsAreReportedAsSpanning)
{
    QWidget host;
    auto* form = new Form(&host);
    auto* plainField = new QWidget;
    form->addRow(new QWidget, plainField);
    auto* spanning = new QWidget;
    form->addRow(spanning);
    auto* spanningLayout = new QVBoxLayout;
    form->addRow(spanningLayout);

    EXPECT_EQ(form->itemAt(0, Form::SpanningRole), nullptr);
    ASSERT_NE(form->itemAt(1, Form::SpanningRole), nullptr);
    EXPECT_EQ(form->itemAt(1, Form::SpanningRole)->widget(), spanning);
    EXPECT_EQ(form->itemAt(1, Form::FieldRole)->widget(), spanning);
    EXPECT_EQ(form->itemAt(2, Form::SpanningRole), spanningLayout);

    int row = -1;
    Form::ItemRole role = Form::LabelRole;
    form->getItemPosition(2, &row, &role);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(role, Form::SpanningRole);
    form->getLayoutPosition(spanningLayout, &row, &role);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(role, Form::SpanningRole);
    EXPECT_EQ(form->labelForField(spanning), nullptr);

    // addItem puts a plain item into the field cell of a new row.
    auto* spacer = new QSpacerItem(10, 10);
    form->addItem(spacer);
    form->getItemPosition(form->count() - 1, &row, &role);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(role, Form::FieldRole);
    EXPECT_EQ(form->itemAt(3, Form::FieldRole), spacer);
}

TEST(SynchronizedFormLayoutTest, PlacingBeyondTheLastRowAppendsEmptyRowsWithoutInvalidating)
{
    QWidget host;
    auto* form = new CountingForm(&host);
    form->addRow(new QWidget, new QWidget);
    form->addRow(new QWidget, new QWidget);
    host.resize(200, 200);
    form->setGeometry(QRect(0, 0, 200, 200)); // laid out: no longer dirty
    form->invalidations = 0;

    auto* w = new QWidget;
    form->setWidget(4, Form::FieldRole, w);
    EXPECT_EQ(form->rowCount(), 5);
    EXPECT_EQ(form->itemAt(2, Form::LabelRole), nullptr);
    EXPECT_EQ(form->itemAt(2, Form::FieldRole), nullptr);
    EXPECT_EQ(form->itemAt(3, Form::FieldRole), nullptr);
    EXPECT_EQ(form->itemAt(4, Form::FieldRole)->widget(), w);
    EXPECT_EQ(form->invalidations, 0);

    auto* nested = new QHBoxLayout;
    form->setLayout(6, Form::LabelRole, nested);
    EXPECT_EQ(form->rowCount(), 7);
    EXPECT_EQ(form->itemAt(6, Form::LabelRole), nested);
    form->setItem(2, Form::LabelRole, new QSpacerItem(1, 1));
    EXPECT_NE(form->itemAt(2, Form::LabelRole), nullptr);

    // A null widget still appends the rows.
    form->setWidget(8, Form::FieldRole, nullptr);
    EXPECT_EQ(form->rowCount(), 9);
    EXPECT_EQ(form->invalidations, 0);
}

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

TEST(SynchronizedFormLayoutTest, TakeAtEmptiesTheCellButKeepsTheRow)
{
    QWidget host;
    auto* form = new Form(&host);
    auto* label = new QWidget;
    auto* field = new QWidget;
    form->addRow(label, field);

    std::unique_ptr<QLayoutItem> taken(form->takeAt(0));
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->widget(), label);
    EXPECT_EQ(form->rowCount(), 1);
    EXPECT_EQ(form->count(), 1);
    EXPECT_EQ(form->itemAt(0, Form::LabelRole), nullptr);
    EXPECT_EQ(form->itemAt(0, Form::FieldRole)->widget(), field);
    EXPECT_EQ(form->labelForField(field), nullptr);

    // A taken nested layout belongs to the caller, not to the form.
    auto* nested = new QHBoxLayout;
    form->addRow(nested);
    std::unique_ptr<QLayoutItem> takenLayout(form->takeAt(form->count() - 1));
    EXPECT_EQ(takenLayout.get(), nested);
    EXPECT_EQ(nested->parent(), nullptr);
}

TEST(SynchronizedFormLayoutTest, DeletingTheFormKeepsWidgetsAndDeletesNestedLayouts)
{
    QWidget host;
    auto* form = new Form(&host);
    QPointer<QWidget> field = new QWidget;
    QPointer<QHBoxLayout> nested = new QHBoxLayout;
    form->addRow(new QLabel(QStringLiteral("a")), field.data());
    form->addRow(QStringLiteral("b"), nested.data());
    delete form;
    EXPECT_FALSE(field.isNull());
    EXPECT_EQ(field->parentWidget(), &host);
    EXPECT_TRUE(nested.isNull());
    EXPECT_EQ(host.layout(), nullptr);
}

TEST(SynchronizedFormLayoutTest, DeletedFieldWidgetLeavesTheForm)
{
    QWidget host;
    auto* form = new Form(&host);
    auto* field = new QWidget;
    form->addRow(new QLabel(QStringLiteral("a")), field);
    delete field;
    EXPECT_EQ(form->count(), 1);
    EXPECT_EQ(form->itemAt(0, Form::FieldRole), nullptr);
}

TEST(SynchronizedFormLayoutTest, PropertiesInvalidateOnlyOnChangeAndResetToTheStyle)
{
    QWidget host;
    auto* form = new CountingForm(&host);
    form->addRow(new QWidget, new QWidget);
    form->setGeometry(QRect(0, 0, 100, 100));
    form->invalidations = 0;

    form->setRowWrapPolicy(Form::WrapAllRows);
    EXPECT_EQ(form->invalidations, 1);
    form->setGeometry(QRect(0, 0, 100, 101));
    form->setRowWrapPolicy(Form::WrapAllRows);
    EXPECT_EQ(form->invalidations, 1);
    EXPECT_EQ(form->rowWrapPolicy(), Form::WrapAllRows);

    form->setFieldGrowthPolicy(Form::FieldsStayAtSizeHint);
    form->setGeometry(QRect(0, 0, 100, 102));
    form->setLabelAlignment(Qt::AlignHCenter);
    form->setGeometry(QRect(0, 0, 100, 103));
    form->setFormAlignment(Qt::AlignRight | Qt::AlignBottom);
    form->setGeometry(QRect(0, 0, 100, 104));
    EXPECT_EQ(form->invalidations, 4);
    form->setFieldGrowthPolicy(Form::FieldsStayAtSizeHint);
    form->setLabelAlignment(Qt::AlignHCenter);
    form->setFormAlignment(Qt::AlignRight | Qt::AlignBottom);
    EXPECT_EQ(form->invalidations, 4);
    EXPECT_EQ(form->fieldGrowthPolicy(), Form::FieldsStayAtSizeHint);
    EXPECT_EQ(form->labelAlignment(), Qt::AlignHCenter);
    EXPECT_EQ(form->formAlignment(), Qt::AlignRight | Qt::AlignBottom);

    form->resetRowWrapPolicy();
    form->resetFieldGrowthPolicy();
    form->resetLabelAlignment();
    form->resetFormAlignment();
    EXPECT_EQ(form->invalidations, 4);
    QStyle* style = host.style();
    EXPECT_EQ(int(form->rowWrapPolicy()), style->styleHint(QStyle::SH_FormLayoutWrapPolicy));
    EXPECT_EQ(int(form->fieldGrowthPolicy()), style->styleHint(QStyle::SH_FormLayoutFieldGrowthPolicy));
    EXPECT_EQ(int(form->labelAlignment()), style->styleHint(QStyle::SH_FormLayoutLabelAlignment));
    EXPECT_EQ(int(form->formAlignment()), style->styleHint(QStyle::SH_FormLayoutFormAlignment));
}

TEST(SynchronizedFormLayoutTest, ApplicationStyleGivesTheFormDefaults)
{
    KelStyle style;
    QWidget host;
    host.setStyle(&style);
    auto* form = new Form(&host);
    EXPECT_EQ(form->rowWrapPolicy(), Form::DontWrapRows);
    EXPECT_EQ(form->fieldGrowthPolicy(), Form::AllNonFixedFieldsGrow);
    EXPECT_EQ(form->formAlignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(form->labelAlignment(), Qt::AlignRight);
    host.setStyle(nullptr);
}

TEST(SynchronizedFormLayoutTest, SpacingComesFromTheStyleOrTheParentLayout)
{
    SpacingStyle style;
    QWidget host;
    host.setStyle(&style);
    auto* form = new Form(&host);
    form->setHorizontalSpacing(-1);
    EXPECT_EQ(form->horizontalSpacing(), 8);
    EXPECT_EQ(form->verticalSpacing(), 5);
    EXPECT_EQ(form->spacing(), -1);
    form->setVerticalSpacing(8);
    EXPECT_EQ(form->spacing(), 8);
    form->setSpacing(3);
    EXPECT_EQ(form->horizontalSpacing(), 3);
    EXPECT_EQ(form->verticalSpacing(), 3);
    form->setSpacing(-1);
    EXPECT_EQ(form->horizontalSpacing(), 8);

    QVBoxLayout outer;
    outer.setSpacing(11);
    auto* inner = new Form;
    outer.addLayout(inner);
    EXPECT_EQ(inner->horizontalSpacing(), 11);
    EXPECT_EQ(inner->verticalSpacing(), 11);

    Form orphan;
    EXPECT_EQ(orphan.horizontalSpacing(), -1);
    host.setStyle(nullptr);
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
