// Every document the program writes (projects as a save stores them, objects as a copy stores
// them, template files), of many shapes, and each edited by hand with comments, "=" banners,
// long descriptions, CDATA, processing instructions and entities, is read through the document
// gate exactly as a plain DOM parse without it reads it: the same verdict, the same tree.

#include "AppTestSupport.h"
#include "CoreTestGraphs.h"
#include "TemplateStoreTestSupport.h"
#include "io/XmlDocumentMutations.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "app/TwUtilities.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>

#include <memory>

using namespace CoreTest;

namespace {

// Names and texts of the kinds a person types: "a = b" lines, markup characters, other
// scripts, and long ones.
QString typedText(int shape)
{
    switch (shape % 5) {
    case 0:
        return QStringLiteral("Plain");
    case 1:
        return QString::fromLatin1(XmlDocumentMutations::linesOfAssignments(40 * shape));
    case 2:
        return QStringLiteral("<b> & \"quoted\" 'single' ]]> -- = == ===");
    case 3:
        return QStringLiteral("Ωμέγα 漢字 ß = ∑ \u00e9").repeated(shape);
    default:
        return QString(100 * shape, QLatin1Char('='));
    }
}

// The project as a save writes it.
QByteArray savedProject(TwCore& core)
{
    TwNodeGraphIOCallbacks callbacks(&core, false);
    TwNodeGraphIOCallbacks::Scope hooks(core.rootGraph(), &callbacks, true, false);
    std::unique_ptr<QDomDocument> document(core.rootGraph()->store(core.rootGraph()->nodes(), true, true, false));
    return document ? document->toByteArray(4) : QByteArray();
}

QList<QByteArray> writtenDocuments()
{
    QList<QByteArray> documents;
    AppTest::RecordingMainWindow window;
    TwCore core(&window);
    window.setCore(&core);
    for (int objects = 1; objects <= 6; ++objects) {
        KelVyxNodes::VyxNodeGraph* object = addEffect(core.rootGraph());
        object->setName(typedText(objects));
        // Sub-graphs inside the object, as effects nest.
        KelVyxNodes::VyxNodeGraph* inner = object;
        for (int level = 0; level < objects % 3; ++level)
            inner = addEffect(inner);
        core.addObjectFromNodeGraph(object);
        documents.append(savedProject(core));
        std::unique_ptr<QBuffer> copied(TwUtilities::storeObjectsToXML(&core, core.objectList()));
        documents.append(copied->data());
    }
    core.clear();
    for (int shape = 0; shape < 6; ++shape) {
        StoreTest::TemplateContent content{QStringLiteral("{a0000000-0000-4000-8000-00000000000%1}").arg(shape),
                                           typedText(shape + 1)};
        content.everyText = typedText(shape);
        documents.append(StoreTest::templateDocument(content));
    }
    return documents;
}

} // namespace

TEST(DocumentGateWriters, WhatTheProgramWritesAndEachEditedByHandIsReadAsAPlainParseReadsIt)
{
    const QList<QByteArray> documents = writtenDocuments();
    ASSERT_EQ(documents.size(), 18);
    XmlDocumentMutations::Random random(8122026);
    for (QByteArray const& document : documents) {
        ASSERT_FALSE(document.isEmpty());
        EXPECT_EQ(XmlDocumentMutations::differsFromPlainParse(document).toStdString(), "");
        for (int round = 0; round < 12; ++round) {
            QByteArray names;
            const QByteArray changed = XmlDocumentMutations::mutated(document, random, &names);
            EXPECT_EQ(XmlDocumentMutations::differsFromPlainParse(changed).toStdString(), "") << names.constData();
        }
    }
}
