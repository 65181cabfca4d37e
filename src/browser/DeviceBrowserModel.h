#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QPixmap>
#include <QString>

// The places of the image browser: home, the standard folders and the mounted volumes (USB
// devices and optical discs with their icons), built once.
class DeviceBrowserModel : public QAbstractListModel
{
    Q_OBJECT

public:
    struct PlaceDescriptor {
        QString name;
        QString path;
        QPixmap icon;
    };

    // Reads the system's mount table and sysfs.
    explicit DeviceBrowserModel(QObject* parent = nullptr);
    // Reads the given mount table (mountinfo format) and sysfs root instead.
    DeviceBrowserModel(QObject* parent, QString const& mountInfoPath, QString const& sysRoot);

    int rowCount(QModelIndex const& parent = QModelIndex()) const override;
    QVariant data(QModelIndex const& index, int role = Qt::DisplayRole) const override;
    // Swallows mouse-wheel events of the watched combo box.
    bool eventFilter(QObject* watched, QEvent* event) override;

    QList<PlaceDescriptor> const& places() const { return m_places; }

private:
    void build(QString const& mountInfoPath, QString const& sysRoot);

    QList<PlaceDescriptor> m_places;
};
