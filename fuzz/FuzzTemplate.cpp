// A template file as the template store meets it: loaded with the editor's hooks and the
// parameter editors start-up installs, its icon rendered on the sample picture, and stored
// again as the store saves it.

#include "FuzzSupport.h"

#include "app/KelAtomHolder.h"
#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TwIconRender.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "app/TwTemplateContainer.h"
#include "effects/NodeTypeRegistry.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelParamAtomHolder.h"
#include "style/KelStyleConfig.h"

#include <QDir>
#include <QDomDocument>
#include <QImage>
#include <QPixmap>

#include <memory>

namespace {

const QString kFileName = QStringLiteral("{f0220000-0000-4000-8000-00000000f022}");

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, true);
    KelVyxNodes::NodeTypeRegistry::setPluginFolder(QString());
    // The editors of exposed parameters, as start-up installs them.
    KelAtomHolder::setFactory(KelParamAtomHolder::factory());
    QDir().mkpath(StoragePaths::objectIconsFolder());
    QImage sample(6, 4, QImage::Format_ARGB32);
    sample.fill(0xff2060a0u);
    KelStyleConfig::instance()->add(QStringLiteral("preview"), QPixmap::fromImage(sample));
    atexit([] {
        KelAtomHolder::setFactory({});
        KelStyleConfig::instance()->clear();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    const QString path = StoragePaths::objectTemplatePath(kFileName);
    if (!FuzzSupport::writeFile(path, data, size))
        return 0;
    {
        TwTemplateContainer store(nullptr, nullptr);
        TwIconRender renderer(QSize(45, 30));
        if (store.loadObjectTemplate(new KelTemplate(path), &renderer)) {
            KelTemplate* record = store.objectTemplateList.last();
            KelNGObject* object = record->objectInstance();
            KelNodes::NodeGraph* top = object->graph()->topLevelGraph();
            std::unique_ptr<QDomDocument> document;
            {
                TwNodeGraphIOCallbacks callbacks(nullptr, true);
                TwNodeGraphIOCallbacks::Scope hooks(top, &callbacks, true, false);
                document.reset(top->store({object->graph()}, true, false, true));
            }
            if (document)
                document->toByteArray(4);
        }
    }
    // The next input must render its own icon, not find this one.
    QDir icons(StoragePaths::objectIconsFolder());
    for (const QString& name : icons.entryList(QDir::Files))
        icons.remove(name);
    return 0;
}
