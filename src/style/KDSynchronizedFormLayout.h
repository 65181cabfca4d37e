#pragma once

#include <QLayout>
#include <QVector>

class QLabel;

// A two-column form layout (labels, fields) whose label column can be shared: a layout measures
// its own rows together with the rows of the layouts in its synchronisation group, so stacked
// forms put their fields at the same x. The group is one-directional: A listing B measures B and
// invalidates B, but B knows nothing of A.
//
// Otherwise it behaves as a standard form layout, with two differences: a label whose widget is
// hidden keeps its full width in the label column but takes no height, and a row that cannot take
// any height (such as a row of hidden widgets) is followed by no vertical spacing.
class KDSynchronizedFormLayout : public QLayout
{
    Q_OBJECT
    Q_PROPERTY(FieldGrowthPolicy fieldGrowthPolicy READ fieldGrowthPolicy WRITE
                   setFieldGrowthPolicy RESET resetFieldGrowthPolicy)
    Q_PROPERTY(RowWrapPolicy rowWrapPolicy READ rowWrapPolicy WRITE setRowWrapPolicy RESET
                   resetRowWrapPolicy)
    Q_PROPERTY(Qt::Alignment labelAlignment READ labelAlignment WRITE setLabelAlignment RESET
                   resetLabelAlignment)
    Q_PROPERTY(Qt::Alignment formAlignment READ formAlignment WRITE setFormAlignment RESET
                   resetFormAlignment)
    Q_PROPERTY(int horizontalSpacing READ horizontalSpacing WRITE setHorizontalSpacing)
    Q_PROPERTY(int verticalSpacing READ verticalSpacing WRITE setVerticalSpacing)

public:
    enum FieldGrowthPolicy { FieldsStayAtSizeHint = 0, ExpandingFieldsGrow = 1, AllNonFixedFieldsGrow = 2 };
    Q_ENUM(FieldGrowthPolicy)
    enum RowWrapPolicy { DontWrapRows = 0, WrapLongRows = 1, WrapAllRows = 2 };
    Q_ENUM(RowWrapPolicy)
    enum ItemRole { LabelRole = 0, FieldRole = 1, SpanningRole = 2 };
    Q_ENUM(ItemRole)

    explicit KDSynchronizedFormLayout(QWidget* parent = nullptr);
    ~KDSynchronizedFormLayout() override;

    // The layouts whose rows this one measures with its own (it may list itself). Setting the
    // same list again changes nothing; members must not be null.
    void setSynchronizedLayouts(const QVector<KDSynchronizedFormLayout*>& layouts);
    void setSynchronizedLayout(KDSynchronizedFormLayout* layout);
    QVector<KDSynchronizedFormLayout*> synchronizedLayouts() const;

    // A row outside 0..rowCount() appends.
    void addRow(QWidget* label, QWidget* field);
    void addRow(QWidget* label, QLayout* field);
    void addRow(const QString& labelText, QWidget* field);
    void addRow(const QString& labelText, QLayout* field);
    void addRow(QWidget* widget);
    void addRow(QLayout* layout);
    void insertRow(int row, QWidget* label, QWidget* field);
    void insertRow(int row, QWidget* label, QLayout* field);
    void insertRow(int row, const QString& labelText, QWidget* field);
    void insertRow(int row, const QString& labelText, QLayout* field);
    void insertRow(int row, QWidget* widget);
    void insertRow(int row, QLayout* layout);

    // Append empty rows up to `row` first; do not invalidate.
    void setItem(int row, ItemRole role, QLayoutItem* item);
    void setWidget(int row, ItemRole role, QWidget* widget);
    void setLayout(int row, ItemRole role, QLayout* layout);

    QLayoutItem* itemAt(int row, ItemRole role) const;
    void getItemPosition(int index, int* row, ItemRole* role) const;
    void getWidgetPosition(QWidget* widget, int* row, ItemRole* role) const;
    void getLayoutPosition(QLayout* layout, int* row, ItemRole* role) const;
    QWidget* labelForField(QWidget* field) const;
    QWidget* labelForField(QLayout* field) const;

    // Own rows only, also while measuring a group.
    int rowCount() const;

    void setFieldGrowthPolicy(FieldGrowthPolicy policy);
    FieldGrowthPolicy fieldGrowthPolicy() const;
    void resetFieldGrowthPolicy();
    void setRowWrapPolicy(RowWrapPolicy policy);
    RowWrapPolicy rowWrapPolicy() const;
    void resetRowWrapPolicy();
    void setLabelAlignment(Qt::Alignment alignment);
    Qt::Alignment labelAlignment() const;
    void resetLabelAlignment();
    void setFormAlignment(Qt::Alignment alignment);
    Qt::Alignment formAlignment() const;
    void resetFormAlignment();

    // -1 takes the spacing from the style (or the parent layout).
    void setHorizontalSpacing(int spacing);
    int horizontalSpacing() const;
    void setVerticalSpacing(int spacing);
    int verticalSpacing() const;
    void setSpacing(int spacing) override;
    int spacing() const override;

    void invalidate() override;
    void addItem(QLayoutItem* item) override;
    Qt::Orientations expandingDirections() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

    class Private;

private:
    Private* d;
};
