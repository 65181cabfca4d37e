#include "RoadSupport.h"

#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/ImageView.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/VyxNodeGraphView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace Road {

namespace {

TwMainWindow* g_window = nullptr;

template<typename T>
void answerNext(std::function<void(T*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

} // namespace

TwMainWindow* window()
{
    return g_window;
}

void setWindow(TwMainWindow* window)
{
    g_window = window;
}

void settle()
{
    TwCore* core = g_window->core();
    for (int i = 0; i < 100; ++i) {
        core->renderer()->wait(20000);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (!core->renderer()->isRunning())
            return;
    }
}

bool waitForRender(std::function<void()> trigger)
{
    TwCore* core = g_window->core();
    QSignalSpy finished(core, &TwCore::finished);
    trigger();
    if (finished.isEmpty() && !finished.wait(60000))
        return false;
    settle();
    // A later render may have been queued by the trigger (a restart after a cancel): let the
    // last one end.
    while (core->renderer()->isRunning())
        settle();
    return core->renderer()->completedSucceeded();
}

void answerFileDialog(QString const& path)
{
    answerNext<QFileDialog>([path](QFileDialog* dialog) {
        dialog->selectFile(path);
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

void answerMessageBox(int button)
{
    answerNext<QMessageBox>([button](QMessageBox* box) {
        if (QAbstractButton* target = box->button(QMessageBox::StandardButton(button)))
            target->click();
        else
            box->done(button);
    });
}

KelNodes::Node* nodeOfType(KelNodes::NodeGraph* graph, QString const& typeId)
{
    for (KelNodes::Node* node : graph->nodes()) {
        if (node->descriptor() && node->descriptor()->typeId == typeId)
            return node;
    }
    return nullptr;
}

QPoint terminalPoint(KelNodes::Node* node, QString const& terminal)
{
    KelNGNode* item = KelNGNode::itemOf(node);
    KelNodes::Terminal* handle = node ? node->getTerminal(terminal) : nullptr;
    if (!item || !handle)
        return QPoint(-1, -1);
    return g_window->objectEditorGraphView()->mapFromScene(item->rectForTerminal(handle).center());
}

void dragWire(QPoint from, QPoint to)
{
    QWidget* viewport = g_window->objectEditorGraphView()->viewport();
    QTest::mouseMove(viewport, from);
    QTest::qWait(20);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(viewport, (from + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::qWait(20);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, to);
    QCoreApplication::processEvents();
}

QImage screenshot(QString const& name)
{
    QCoreApplication::processEvents();
    QImage picture = g_window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    picture.save(QStringLiteral(VYX_ROAD_OUTPUT) + QLatin1Char('/') + name + QStringLiteral(".png"));
    return picture;
}

QRgb imageViewCentre(QImage const& windowPicture)
{
    ImageView* view = g_window->imageView();
    const QRect shown = view->displayRect();
    const QPoint centre = view->mapTo(g_window, shown.center());
    return windowPicture.pixel(centre);
}

bool allPixels(QImage const& image, std::function<bool(QRgb, int, int)> check, QString* failure)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (!check(pixel, x, y)) {
                if (failure)
                    *failure = QStringLiteral("pixel (%1, %2) = %3, %4, %5")
                                   .arg(x)
                                   .arg(y)
                                   .arg(qRed(pixel))
                                   .arg(qGreen(pixel))
                                   .arg(qBlue(pixel));
                return false;
            }
        }
    }
    return true;
}

} // namespace Road
