#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

class KelToolBoxButton;
class QVBoxLayout;

// A vertical stack of sections that open and close independently: each section is a checkable
// header followed by its page. Any number of sections may be open at once; sections are never
// removed. Section i sits at layout positions 2i (header) and 2i + 1 (page), before a final
// stretch that keeps them at the top.
class KelToolBox : public QWidget
{
    Q_OBJECT

public:
    // One section: both pointers refer to children of the tool box, which owns them.
    struct Item
    {
        Item();
        KelToolBoxButton* button;
        QWidget* widget;
    };

    explicit KelToolBox(QWidget* parent = nullptr);
    ~KelToolBox() override;

    // An index outside 0..count() appends. Returns the index used; the section starts collapsed.
    int insertItem(int index, QWidget* widget, const QString& text);
    int addItem(QWidget* widget, const QString& text);

    int count() const;
    QWidget* widget(int index) const;
    // The first section whose page or header is `w`, or -1.
    int indexOf(const QWidget* w) const;

    bool isExpanded(int index) const;
    bool isExpanded(QWidget* w) const;
    // Qt's visibility of the section's header (so false while the tool box itself is hidden).
    bool isVisible(int index) const;
    bool isVisible(QWidget* w) const;
    using QWidget::isVisible;

    // Hiding hides header and page; showing reopens the page only when the section is expanded.
    void setVisible(int index, bool visible);
    void setVisible(QWidget* w, bool visible);
    using QWidget::setVisible;

    void setExpanded(int index, bool expanded);
    void setExpanded(QWidget* w, bool expanded);

    void setItemText(int index, const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool validIndex(int index) const;
    QVBoxLayout* boxLayout() const;

    QVector<Item> m_items;
};
