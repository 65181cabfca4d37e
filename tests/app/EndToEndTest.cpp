#include "AppTestSupport.h"
#include "CoreTestGraphs.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "app/TwTemplateContainer.h"
#include "app/TwUtilities.h"
#include "style/KelStyleConfig.h"

#include <QBuffer>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTextStream>
#include <QUndoStack>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

using namespace CoreTest;
using KelVyxNodes::VyxNodeGraph;

namespace {

const QString kEndToEndPreview = QStringLiteral("preview");
const QString kTemplateName = QStringLiteral("Invert Colours");

// A template file as the store writes one: the effect's sub-graph with its "template" element.
bool writeEndToEndTemplate(QString const& uuid)
{
    VyxNodeGraph root;
    VyxNodeGraph* effect = addEffect(&root);
    effect->setName(kTemplateName);
    effect->nodes().last()->paramContainer()->auxData().insert(QStringLiteral("posX"), 33.0);
    KelNGObject object(effect);
    auto* record = new KelTemplate;
    record->setUuid(uuid);
    record->setName(kTemplateName);
    object.setObjectTemplate(record);

    std::unique_ptr<QDomDocument> document;
    {
        TwNodeGraphIOCallbacks callbacks(nullptr, true);
        TwNodeGraphIOCallbacks::Scope hooks(&root, &callbacks, true, false);
        document.reset(root.store({effect}, true, false, true));
    }
    QFile file(StoragePaths::objectTemplatePath(uuid));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream stream(&file);
    document->save(stream, 4);
    return true;
}

QSet<int> uidsOf(KelNodes::NodeGraph* graph)
{
    QSet<int> uids{graph->uid()};
    for (KelNodes::Node* node : graph->nodes()) {
        if (KelNodes::NodeGraph* sub = node->toNodeGraph())
            uids.unite(uidsOf(sub));
        else
            uids.insert(node->uid());
    }
    return uids;
}

void expectSamePixels(QImage const& actual, QImage const& expected, char const* what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x)
            ASSERT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << what << " at " << x << "," << y;
    }
}

class EndToEndTest : public ::testing::Test
{
protected:
    EndToEndTest()
    {
        EXPECT_TRUE(home.makeTemplateFolders());
        savedPreview = KelStyleConfig::instance()->value<QVariant>(kEndToEndPreview);
        KelStyleConfig::instance()->add(kEndToEndPreview, QPixmap::fromImage(ramp(6, 4)));
    }
    ~EndToEndTest() override
    {
        KelStyleConfig::instance()->add(kEndToEndPreview, savedPreview);
    }

    AppTest::ScopedDataHome home;
    QVariant savedPreview;
};

TEST_F(EndToEndTest, TemplateObjectFromLoadToSaveAndReload)
{
    const QString uuid = QUuid::createUuid().toString();
    ASSERT_TRUE(writeEndToEndTemplate(uuid));

    AppTest::RecordingMainWindow window;
    TwCore core(&window);
    window.setCore(&core);
    AppTest::MessageBoxAnswerer answerer(QMessageBox::Cancel);

    // Load the store.
    core.templateStore()->loadObjectTemplates();
    KelTemplate* stored = core.templateStore()->getObjectTemplateFromUuid(uuid);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->name(), kTemplateName);
    ASSERT_NE(stored->objectInstance(), nullptr);

    // A PNG source.
    const QString png = home.path() + QStringLiteral("/source.png");
    ASSERT_TRUE(QImageWriter(png).write(ramp(12, 8)));
    ASSERT_TRUE(core.setSourceImage(png));
    const QImage source = *core.sourceImage();

    // Insert the template object by its UUID and render.
    KelNGObject* object = core.addTemplateObject(uuid.toUpper());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(core.objectList(), (QList<KelNGObject*>{object}));
    EXPECT_EQ(core.selectedObject(), object);
    EXPECT_EQ(core.rootGraph()->numNodes(), 3);
    EXPECT_EQ(object->graph()->name(), kTemplateName);
    EXPECT_EQ(object->basedOnTemplateUuid(), uuid.toUpper());
    ASSERT_NE(object->objectTemplate(), nullptr);
    EXPECT_NE(object->objectTemplate(), stored);
    EXPECT_EQ(object->objectTemplate()->objectInstance(), object);
    // The node attributes came along.
    int positioned = 0;
    for (KelNodes::Node* node : object->graph()->nodes()) {
        if (node->paramContainer()->auxData().value(QStringLiteral("posX")) == QVariant(QStringLiteral("33")))
            ++positioned;
    }
    EXPECT_EQ(positioned, 1);
    EXPECT_EQ(core.undoStack()->count(), 1);
    EXPECT_TRUE(core.undoStack()->text(0).startsWith(QStringLiteral("Insert ")));
    EXPECT_GE(waitForRenders(core), 1);
    ASSERT_TRUE(core.renderer()->completedSucceeded());

    // The same template graph, filtered directly.
    QImage direct = source;
    VyxNodeGraph* templateGraph = stored->objectInstance()->effectGraph();
    ASSERT_NE(templateGraph, nullptr);
    QImage const* previous = templateGraph->originalImage();
    ASSERT_EQ(templateGraph->setUp(&direct), 0);
    ASSERT_EQ(templateGraph->filter(nullptr), 0);
    const QImage expected = templateGraph->resultImage();
    templateGraph->setUp(previous);
    EXPECT_NE(expected.pixel(3, 3), source.pixel(3, 3));
    expectSamePixels(*core.resultImage(), expected, "inserted");

    // Undo gives the source back; redo the same object under the same uid.
    const int uid = object->graph()->uid();
    const QSet<int> uids = uidsOf(object->graph());
    core.undoStack()->undo();
    EXPECT_TRUE(core.objectList().isEmpty());
    EXPECT_EQ(core.rootGraph()->numNodes(), 2);
    waitForRenders(core);
    ASSERT_TRUE(core.renderer()->completedSucceeded());
    expectSamePixels(*core.resultImage(), source, "undone");

    core.undoStack()->redo();
    ASSERT_EQ(core.objectList().size(), 1);
    object = core.objectList().first();
    EXPECT_EQ(object->graph()->uid(), uid);
    EXPECT_EQ(uidsOf(object->graph()), uids);
    EXPECT_EQ(object->basedOnTemplateUuid(), uuid.toUpper());
    waitForRenders(core);
    ASSERT_TRUE(core.renderer()->completedSucceeded());
    expectSamePixels(*core.resultImage(), expected, "redone");

    // Copy and paste: a second object with new uids; two inversions give the source.
    QBuffer clipboard;
    TwUtilities::storeObjectsToXML(&core, core.selectedObjects(), &clipboard);
    TwUtilities::loadObjectFromBuffer(&core, core.rootGraph(), &clipboard, false);
    ASSERT_EQ(core.objectList().size(), 2);
    KelNGObject* pasted = core.objectList().at(1);
    EXPECT_EQ(core.objectList().first(), object);
    EXPECT_EQ(core.selectedObject(), pasted);
    EXPECT_FALSE(uidsOf(pasted->graph()).intersects(uids));
    EXPECT_NE(pasted->uuid(), object->uuid());
    waitForRenders(core);
    ASSERT_TRUE(core.renderer()->completedSucceeded());
    expectSamePixels(*core.resultImage(), source, "pasted");

    // Save the pasted object's graph as a template of its own.
    const QString newUuid = QUuid::createUuid().toString();
    auto* fresh = new KelTemplate;
    fresh->setUuid(newUuid);
    fresh->setName(pasted->graph()->name());
    fresh->setModified(true);
    pasted->setObjectTemplate(fresh);
    EXPECT_TRUE(core.templateStore()->saveTemplate(pasted, true));
    EXPECT_EQ(answerer.answered(), 0) << answerer.texts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_FALSE(fresh->modified());
    EXPECT_TRUE(QFileInfo::exists(StoragePaths::objectTemplatePath(newUuid)));
    EXPECT_NE(core.templateStore()->getObjectTemplateFromUuid(newUuid), nullptr);
    waitForRenders(core);
    EXPECT_TRUE(core.renderer()->completedSucceeded());

    // Reload the store: both templates are there, the new one with its icon.
    {
        TwTemplateContainer reloaded(nullptr, nullptr);
        reloaded.loadObjectTemplates();
        KelTemplate* found = reloaded.getObjectTemplateFromUuid(newUuid);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->name(), kTemplateName);
        EXPECT_FALSE(found->objectIcon().isNull());
        EXPECT_TRUE(QFileInfo::exists(StoragePaths::objectIconPath(newUuid)));
        EXPECT_NE(reloaded.getObjectTemplateFromUuid(uuid), nullptr);
    }

    core.clear();
    waitForRenders(core, 50);
}

} // namespace
