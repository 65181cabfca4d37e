#include "effects/NodeTypeRegistry.h"

#include "effects/NodeArithmeticMix.h"
#include "effects/NodeBlur.h"
#include "effects/NodeConst.h"
#include "effects/NodeEdgeDetection.h"
#include "effects/NodeEmboss.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeGrayscale.h"
#include "effects/NodeJoin.h"
#include "effects/NodeNoise.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodePulse.h"
#include "effects/NodeSharpen.h"
#include "effects/NodeSine.h"
#include "effects/NodeSplit.h"
#include "effects/NodeTriangle.h"
#include "effects/NodeWeightedMix.h"
#include "effects/color/NodeAutocontrast.h"
#include "effects/color/NodeAutolevels.h"
#include "effects/color/NodeBlend.h"
#include "effects/color/NodeBrightnessContrast.h"
#include "effects/color/NodeConvert1Dto3D.h"
#include "effects/color/NodeConvert3Dto1D.h"
#include "effects/color/NodeEqualize.h"
#include "effects/color/NodeGammaCurve.h"
#include "effects/color/NodeHSV.h"
#include "effects/color/NodeHSY.h"
#include "effects/color/NodeInversion.h"
#include "effects/color/NodeJoinCMYKtoRGB.h"
#include "effects/color/NodeJoinHSVtoRGB.h"
#include "effects/color/NodeJoinHSY.h"
#include "effects/color/NodeLevels.h"
#include "effects/color/NodeLogarithmicCorrection.h"
#include "effects/color/NodeNormalize.h"
#include "effects/color/NodeRGBA.h"
#include "effects/color/NodeSplitHSY.h"
#include "effects/color/NodeSplitRGBtoCMYK.h"
#include "effects/color/NodeSplitRGBtoHSV.h"
#include "effects/color/NodeThreshold.h"
#include "effects/math/NodeCeil.h"
#include "effects/math/NodeChecker.h"
#include "effects/math/NodeChromaticAberration.h"
#include "effects/math/NodeFlip.h"
#include "effects/math/NodeFloor.h"
#include "effects/math/NodeFrame.h"
#include "effects/math/NodeGradient3Color.h"
#include "effects/math/NodeGradient5Color.h"
#include "effects/math/NodeIf.h"
#include "effects/math/NodeLogarithm.h"
#include "effects/math/NodeLookup.h"
#include "effects/math/NodeMax.h"
#include "effects/math/NodeMin.h"
#include "effects/math/NodeNoiseReduction.h"
#include "effects/math/NodePower.h"
#include "effects/math/NodeRoot.h"
#include "effects/math/NodeRotate.h"
#include "effects/math/NodeRound.h"
#include "effects/math/NodeTrigonometric.h"
#include "nodes/NodeDescriptor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <atomic>
#include <mutex>

namespace KelVyxNodes {

namespace {

using DescriptorList = QList<KelNodes::NodeDescriptor const*>;

// The built-in node types in registry order; the node dock lists them so. A commented row is a
// type whose class is not built yet: it is filled in where it stands, the order never changes.
KelNodes::NodeDescriptor const* const kBuiltInTypes[] = {
    &NodeOriginalImage::m_descriptor,
    &NodeFilteredImage::m_descriptor,
    &NodeNoise::m_descriptor,
    &NodeConst::m_descriptor,
    &NodeSine::m_descriptor,
    &NodePulse::m_descriptor,
    &NodeTriangle::m_descriptor,
    &NodeWeightedMix::m_descriptor,
    &NodeArithmeticMix::m_descriptor,
    &NodeJoin::m_descriptor,
    &NodeSplit::m_descriptor,
    &NodeGrayscale::m_descriptor,
    &NodeBlur::m_descriptor,
    &NodeSharpen::m_descriptor,
    &NodeEmboss::m_descriptor,
    &NodeEdgeDetection::m_descriptor,
    &NodeRGBA::m_descriptor,
    &NodeHSV::m_descriptor,
    &NodeInversion::m_descriptor,
    &NodeLevels::m_descriptor,
    &NodeSplitRGBtoHSV::m_descriptor,
    &NodeJoinHSVtoRGB::m_descriptor,
    &NodeSplitRGBtoCMYK::m_descriptor,
    &NodeJoinCMYKtoRGB::m_descriptor,
    &NodeConvert1Dto3D::m_descriptor,
    &NodeConvert3Dto1D::m_descriptor,
    &NodeThreshold::m_descriptor,
    &NodeGradient3Color::m_descriptor,
    &NodeBlend::m_descriptor,
    &NodeHSY::m_descriptor,
    &NodeJoinHSY::m_descriptor,
    &NodeSplitHSY::m_descriptor,
    &NodeFlip::m_descriptor,
    &NodeGradient5Color::m_descriptor,
    &NodeLookup::m_descriptor,
    &NodeChromaticAberration::m_descriptor,
    &NodeGammaCurve::m_descriptor,
    &NodeTrigonometric::m_descriptor,
    &NodeMax::m_descriptor,
    &NodeMin::m_descriptor,
    &NodeCeil::m_descriptor,
    &NodeFloor::m_descriptor,
    &NodeRound::m_descriptor,
    &NodeLogarithm::m_descriptor,
    &NodeIf::m_descriptor,
    &NodePower::m_descriptor,
    &NodeRoot::m_descriptor,
    &NodeNoiseReduction::m_descriptor,
    &NodeLogarithmicCorrection::m_descriptor,
    &NodeAutocontrast::m_descriptor,
    &NodeRotate::m_descriptor,
    &NodeAutolevels::m_descriptor,
    &NodeNormalize::m_descriptor,
    &NodeEqualize::m_descriptor,
    &NodeBrightnessContrast::m_descriptor,
    &NodeFrame::m_descriptor,
    &NodeChecker::m_descriptor,
};

using InitNodesFn = void (*)();
using NumOfNodesFn = int (*)();
using GetNodeDescriptorFn = KelNodes::NodeDescriptor* (*)(int);

// Plain globals with constant initialisation: nothing here is destroyed at exit, so plug-in
// descriptors stay valid for static destructors of other code too.
std::mutex s_mutex;
std::atomic<DescriptorList*> s_ready{nullptr}; // set once the list is complete
DescriptorList* s_list = nullptr;              // under s_mutex until s_ready is set
QString* s_folder = nullptr;                   // a folder named by setPluginFolder
bool s_enumerated = false;
QList<QLibrary*>* s_libraries = nullptr;       // loaded plug-ins, never unloaded

// Under s_mutex.
void buildBuiltIns()
{
    if (!s_list)
        s_list = new DescriptorList(NodeTypeRegistry::builtIns());
}

// Under s_mutex, once per process.
int enumerateLocked(QString const& path)
{
    s_enumerated = true;
    if (path.isEmpty())
        return 0;
    QDir const dir(path);
    if (!dir.exists())
        return 0;

    int appended = 0;
    QFileInfoList const entries = dir.entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Unsorted);
    for (QFileInfo const& entry : entries) {
        QString const file = entry.filePath();
        if (!QLibrary::isLibrary(file))
            continue;
        auto* library = new QLibrary(file);
        auto const init = reinterpret_cast<InitNodesFn>(library->resolve("initNodes"));
        auto const count = reinterpret_cast<NumOfNodesFn>(library->resolve("numOfNodes"));
        auto const get = reinterpret_cast<GetNodeDescriptorFn>(library->resolve("getNodeDescriptor"));
        if (!init || !count || !get) {
            // Not a node plug-in (or not loadable): nothing of it is kept.
            if (library->isLoaded())
                library->unload();
            delete library;
            continue;
        }
        if (!s_libraries)
            s_libraries = new QList<QLibrary*>;
        s_libraries->append(library);
        init();
        for (int i = 0; i < count(); ++i) {
            // A null entry would crash every reader of the list.
            if (KelNodes::NodeDescriptor const* descriptor = get(i)) {
                s_list->append(descriptor);
                ++appended;
            }
        }
    }
    return appended;
}

} // namespace

DescriptorList const& NodeTypeRegistry::builtIns()
{
    // Never destroyed, like the registry list.
    static DescriptorList const* const types = [] {
        auto* list = new DescriptorList;
        for (KelNodes::NodeDescriptor const* descriptor : kBuiltInTypes) {
            if (descriptor)
                list->append(descriptor);
        }
        return list;
    }();
    return *types;
}

DescriptorList* NodeTypeRegistry::list()
{
    if (DescriptorList* ready = s_ready.load(std::memory_order_acquire))
        return ready;
    std::lock_guard<std::mutex> lock(s_mutex);
    buildBuiltIns();
    if (!s_enumerated)
        enumerateLocked(s_folder ? *s_folder : defaultPluginFolder());
    s_ready.store(s_list, std::memory_order_release);
    return s_list;
}

QString NodeTypeRegistry::defaultPluginFolder()
{
    QString executableDir;
    if (QCoreApplication::instance()) {
        executableDir = QCoreApplication::applicationDirPath();
    } else {
        // Tools and tests may run without an application object.
        QString const executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        if (!executable.isEmpty())
            executableDir = QFileInfo(executable).absolutePath();
    }
    if (executableDir.isEmpty())
        return QString();
    return QDir::cleanPath(executableDir + QStringLiteral("/../lib/vyx-solenne/nodes"));
}

QString NodeTypeRegistry::pluginFolder()
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_folder ? *s_folder : defaultPluginFolder();
}

bool NodeTypeRegistry::setPluginFolder(QString const& path)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    if (s_enumerated)
        return false;
    if (!s_folder)
        s_folder = new QString;
    *s_folder = path;
    return true;
}

int NodeTypeRegistry::enumerateNodes(QString const& path)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    buildBuiltIns();
    if (s_enumerated)
        return 0;
    return enumerateLocked(path);
}

} // namespace KelVyxNodes
