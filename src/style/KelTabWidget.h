#pragma once

#include <QMap>
#include <QTabBar>
#include <QTabWidget>

// A tab widget whose single tabs can be made closable, each with its own title-bar close button,
// and which can show an add-tab button after its last tab. The add-tab button is drawn, placed
// and clicked by the application style, which reads the property "addTabButtonVisible" and
// invokes addTabRequested() by name.
class KelTabWidget : public QTabWidget
{
    Q_OBJECT

public:
    explicit KelTabWidget(QWidget* parent = nullptr);

    // All tabs while tabsClosable() is set; otherwise as last given for this index.
    bool isTabClosable(int index) const;
    // Keyed by the index given here: the entry does not follow its tab when tabs are inserted,
    // removed or moved.
    void setTabClosable(int index, bool closable);

    bool isAddTabButtonVisible() const;
    void setAddTabButtonVisible(bool visible);

signals:
    void addTabRequested();

private slots:
    void closeTab();

private:
    QTabBar::ButtonPosition closeButtonSide() const;

    QMap<int, bool> m_closable;
};
