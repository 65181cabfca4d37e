#include "HelpStage.h"
#include "RoadSupport.h"

#include "app/KelTemplate.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "dialogs/WelcomeScreen.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/VyxApplication.h"
#include "mainwindow/VyxStartup.h"
#include "nodes/Node.h"
#include "params/IParameterContainer.h"
#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "style/ResourcePaths.h"

#include <QApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include <cstdio>
#include <memory>

namespace HelpStage {

namespace {

QTemporaryDir* g_home = nullptr;
TwMainWindow* g_stageWindow = nullptr;

struct Link
{
    QString type;
    QString input;
    QString output;
    // Whole-number parameters set on the node, by name.
    QList<QPair<QString, int>> settings = {};
};

// A template file as the store writes one: source, the chain of nodes, destination.
QByteArray templateDocument(QString const& name, QString const& type, QString const& description,
                            QList<Link> const& chain)
{
    KelVyxNodes::VyxNodeGraph root(nullptr);
    KelVyxNodes::VyxNodeGraph* effect = root.addSubGraph(-1);
    QImage bootstrap(1, 1, QImage::Format_ARGB32);
    bootstrap.fill(0);
    effect->setUp(&bootstrap);
    KelNodes::Node* previous = effect->sourceNode();
    QString previousOutput = QStringLiteral("rgb");
    for (Link const& link : chain) {
        KelNodes::Node* node = effect->addNode(link.type, -1);
        for (auto const& setting : link.settings) {
            KelUtils::Parameter* parameter = node->paramContainer()->getParamByName(setting.first);
            KelUtils::NumGroupParameter<int>* number = nullptr;
            if (parameter)
                number = *parameter;
            if (number)
                number->setValue(setting.second, 0);
        }
        previous->connect(previousOutput, node, link.input);
        previous = node;
        previousOutput = link.output;
    }
    previous->connect(previousOutput, effect->destinationNode(), QStringLiteral("rgb"));
    effect->setUp(nullptr);
    effect->setName(name);

    std::unique_ptr<QDomDocument> document(root.store({effect}, false, false, true));
    QDomElement graph = document->documentElement().firstChildElement(QStringLiteral("nodes")).firstChildElement();
    KelTemplate record;
    record.setUuid(QUuid::createUuid().toString());
    record.setName(name);
    record.setType(type);
    record.setDescription(description);
    record.setVersion(QStringLiteral("01.000"));
    record.store(*document, graph, 0);
    return document->toString(4).toUtf8();
}

bool writeFile(QString const& path, QByteArray const& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void installTemplates(QString const& dataHome)
{
    const QString folder = dataHome + QStringLiteral("/Vyx-Solenne/templates/lumora");
    QDir().mkpath(folder + QStringLiteral("/icons"));
    const Link inversion{QStringLiteral("operator.inversion"), QStringLiteral("inRgb"), QStringLiteral("outRgb")};
    const Link grey{QStringLiteral("operator.grayscale"), QStringLiteral("rgb"), QStringLiteral("out3d")};
    const Link warm{QStringLiteral("operator.hsv"), QStringLiteral("rgb"), QStringLiteral("out rgb"),
                    {{QStringLiteral("Hue"), -12}, {QStringLiteral("Saturation"), 35}}};
    const struct {
        char const* name;
        char const* type;
        char const* description;
        QList<Link> chain;
    } templates[] = {
        {"Negative", "Filter", "Turns light into dark and every colour into its opposite.", {inversion}},
        {"Black and White", "Filter", "A grey picture from the brightness of each colour.", {grey}},
        {"Colour Shift", "Filter", "Warmer, richer colours: the hues move towards red and gain saturation.", {warm}},
        {"Grey Negative", "Special FX", "A black-and-white negative.", {grey, inversion}},
    };
    for (auto const& t : templates) {
        writeFile(folder + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces),
                  templateDocument(QString::fromLatin1(t.name), QString::fromLatin1(t.type),
                                   QString::fromLatin1(t.description), t.chain));
    }
}

// The resources' landscape, and two variations of it.
void makePhotographs(QString const& folder)
{
    QDir().mkpath(folder);
    const QImage landscape(ResourcePaths::resourcesFolder() + QStringLiteral("/tw/preview_big.png"));
    const QImage photo = landscape.convertToFormat(QImage::Format_RGB32);
    photo.save(folder + QStringLiteral("/landscape.jpg"), "JPG", 92);
    photo.mirrored(true, false).save(folder + QStringLiteral("/lake.jpg"), "JPG", 92);
    const QRect middle(photo.width() / 4, photo.height() / 4, photo.width() / 2, photo.height() / 2);
    photo.copy(middle).scaled(photo.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .save(folder + QStringLiteral("/hills.jpg"), "JPG", 92);
}

} // namespace

TwMainWindow* start(VyxApplication& application, QString const& home)
{
    QString homePath = home;
    if (homePath.isEmpty()) {
        g_home = new QTemporaryDir;
        homePath = g_home->path();
    } else {
        QDir(homePath).removeRecursively();
        QDir().mkpath(homePath);
    }
    const QString data = homePath + QStringLiteral("/data");
    const QString config = homePath + QStringLiteral("/config");
    // A home of its own: the image browser shows folders relative to it.
    qputenv("HOME", homePath.toLocal8Bit());
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
    QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
    // The photographs lie in the pictures folder, where the image browser and the sequence
    // export start; no setting is written, so every dialog shows the defaults a new user meets.
    makePhotographs(photoFolder());
    installTemplates(data);

    int exitCode = 0;
    QString errorText;
    g_stageWindow = VyxStartup::start(application, &exitCode, &errorText);
    if (!g_stageWindow) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(errorText));
        return nullptr;
    }
    g_stageWindow->resize(1400, 900);
    g_stageWindow->move(0, 0);
    Road::setWindow(g_stageWindow);
    // A first start shows the Welcome screen; dismissing it as Escape does leaves the settings
    // untouched (closing it would store its choices).
    QTimer welcome;
    welcome.setInterval(50);
    QObject::connect(&welcome, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<WelcomeScreen*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    welcome.start();
    VyxStartup::showMainWindow(g_stageWindow);
    welcome.stop();
    (void)QTest::qWaitForWindowExposed(g_stageWindow, 10000);
    Road::settle();
    return g_stageWindow;
}

TwMainWindow* window()
{
    return g_stageWindow;
}

void finish()
{
    delete g_home;
    g_home = nullptr;
}

QString photoFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

QString photoPath()
{
    return photoFolder() + QStringLiteral("/landscape.jpg");
}


} // namespace HelpStage
