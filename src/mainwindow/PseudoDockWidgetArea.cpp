#include "mainwindow/PseudoDockWidgetArea.h"

#include "mainwindow/PseudoDockWidget.h"

#include <QSplitter>
#include <QVBoxLayout>

PseudoDockWidgetArea::PseudoDockWidgetArea(QWidget* parent)
    : PseudoDockWidgetArea(Qt::Horizontal, parent)
{
}

PseudoDockWidgetArea::PseudoDockWidgetArea(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_splitter(new QSplitter(orientation))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_splitter);
}

PseudoDockWidgetArea::~PseudoDockWidgetArea()
{
    delete m_splitter;
}

void PseudoDockWidgetArea::addDockWidget(Qt::DockWidgetArea, PseudoDockWidget* dock,
                                         Qt::Orientation)
{
    m_splitter->addWidget(dock);
    dock->show();
    updateGeometry();
}

void PseudoDockWidgetArea::removeDockWidget(PseudoDockWidget* dock)
{
    dock->setParent(nullptr);
    dock->hide();
    updateGeometry();
}

QSize PseudoDockWidgetArea::sizeHint() const
{
    return QWidget::sizeHint();
}
