#pragma once

#include <QList>
#include <QModelIndex>
#include <QString>
#include <QWidget>

class DeviceBrowserModel;
class QAbstractItemView;
class QAction;
class QUndoStack;
class VyxBrowserFileSystemModel;
namespace Ui {
class ImageBrowser;
}

// The panel in which the user picks the picture to filter: one folder at a time, as a
// thumbnail strip or a details list, with places, history, Up and a name filter.
class ImageBrowser : public QWidget
{
    Q_OBJECT

public:
    explicit ImageBrowser(QWidget* parent = nullptr);
    // Remembers the folder shown in "BrowserLocation".
    ~ImageBrowser() override;

    void displayCurrentPath();
    // Re-applies the filter to the rows present; clearFilter first empties the filter field.
    void updateFilterItems(bool clearFilter);

    // For the history commands and tests.
    QList<QAbstractItemView*> const& views() const { return m_views; }
    VyxBrowserFileSystemModel* fileModel() const { return m_model; }
    DeviceBrowserModel* placesModel() const { return m_places; }
    QUndoStack* history() const { return m_history; }
    QString placePath() const { return m_placePath; }
    // The folder currently shown.
    QString currentPath() const;
    // Pushes a folder change onto the history (which runs it).
    void navigateTo(QModelIndex const& index);
    // The current file's announcement gave no picture (the read was canceled or refused): a
    // click on that file announces it again, as a click on another file would.
    void offerCurrentImageAgain();

signals:
    void currentImageChanged(QString path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void on_upButton_clicked();
    void on_lineEdit_textChanged(QString text);
    void viewDoubleClicked(QModelIndex index);
    void viewCurrentChanged(QModelIndex cur, QModelIndex prev);
    void viewClicked(QModelIndex index);
    void on_comboBox_currentIndexChanged(int index);
    void onPathChanged(QString path);
    void onActionDown();

private:
    Ui::ImageBrowser* m_ui;
    VyxBrowserFileSystemModel* m_model = nullptr;
    DeviceBrowserModel* m_places = nullptr;
    QUndoStack* m_history = nullptr;
    QList<QAbstractItemView*> m_views;
    QString m_placePath;
    // The file last announced, and the same when its announcement gave no picture.
    QString m_announced;
    QString m_offeredAgain;
    // The mouse went down on that file while it was offered again: the click is a new pick, not
    // the end of the click that made it current.
    bool m_pressedOnOffered = false;
};
