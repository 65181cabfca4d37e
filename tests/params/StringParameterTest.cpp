#include "params/BinaryData.h"
#include "params/ParameterContainer.h"
#include "params/ParameterFactory.h"
#include "params/StringParameter.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace KelUtils;

namespace {

void countStringChange(IParameterContainer*, Parameter*, void* userData)
{
    ++*static_cast<int*>(userData);
}

struct StringFixture
{
    ParameterContainer container{QStringLiteral("node"), QString()};
    QString text;
    QString path;
    StringParameter* label = nullptr;
    StringParameter* file = nullptr;
    int changes = 0;

    StringFixture()
    {
        label = new StringParameter(QStringLiteral("label"), QStringLiteral("Label:"), &container,
                                    &text, false, 1);
        file = new StringParameter(QStringLiteral("file"), QStringLiteral("File:"), &container,
                                   &path, true, 1);
        container.paramLists().append(ParameterList{QStringLiteral("basic"), true, {label, file}});
        container.paramCallbacks().append(ParameterCallback{countStringChange, &changes});
    }
};

QDomElement parseString(QDomDocument& doc, QString const& xml)
{
    EXPECT_TRUE(bool(doc.setContent(xml)));
    return doc.documentElement();
}

QByteArray writeFile(QString const& path, QByteArray const& bytes)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return bytes;
}

} // namespace

TEST(StringParameter, TypeFollowsTheFileFlagAndSetterNotifiesChangesOnly)
{
    StringFixture f;
    EXPECT_EQ(f.label->type(), ParamString);
    EXPECT_EQ(f.file->type(), ParamFileName);
    Parameter* base = f.file;
    EXPECT_EQ(static_cast<StringParameter*>(*base), f.file);

    EXPECT_EQ(f.label->setValue(QStringLiteral("a")), 0);
    EXPECT_EQ(f.text, QStringLiteral("a"));
    EXPECT_EQ(f.label->setValue(QStringLiteral("a")), 0);
    EXPECT_EQ(f.changes, 1);
    EXPECT_EQ(f.label->setValue(QStringLiteral("b")), 0);
    EXPECT_EQ(f.changes, 2);
}

TEST(StringParameter, ValueIsBase64OfLittleEndianUtf16WithMark)
{
    StringFixture f;
    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("param"));
    f.label->setValue(QStringLiteral("abc"));
    f.label->store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("value")), QStringLiteral("//5hAGIAYwA="));

    f.label->setValue(QString());
    e = doc.createElement(QStringLiteral("param"));
    f.label->store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("value")), QStringLiteral("//4="));
    f.text = QStringLiteral("old");
    ASSERT_EQ(f.label->load(e), 0);
    EXPECT_TRUE(f.text.isEmpty());
}

TEST(StringParameter, RoundTripsAnyText)
{
    const QString samples[] = {QStringLiteral("Grüße <&> \"'"), QString::fromUtf8("\xF0\x9F\x8E\xA8 Farbe"),
                               QStringLiteral("line\nbreak\ttab"), QStringLiteral("/tmp/a b/c.png")};
    for (QString const& sample : samples) {
        StringFixture f;
        f.file->setValue(sample);
        QDomDocument doc;
        QDomElement root = doc.createElement(QStringLiteral("root"));
        doc.appendChild(root);
        f.container.storeState(doc, root, false, false);

        QDomDocument reread;
        ASSERT_TRUE(bool(reread.setContent(doc.toString())));
        StringFixture g;
        g.container.loadState(reread.documentElement().firstChildElement());
        EXPECT_EQ(g.path, sample);
        EXPECT_EQ(g.file->type(), ParamFileName);
    }
}

TEST(StringParameter, AbsentOrGarbledValues)
{
    StringFixture f;
    f.text = QStringLiteral("before");
    QDomDocument doc;
    ASSERT_EQ(f.label->load(parseString(doc, QStringLiteral("<param name='label'/>"))), 0);
    EXPECT_TRUE(f.text.isEmpty());

    // A big-endian mark and characters outside the alphabet are tolerated.
    ASSERT_EQ(f.label->load(parseString(doc, QStringLiteral("<param name='label' value='/v8A YQBi\n=='/>"))), 0);
    EXPECT_EQ(f.text, QStringLiteral("ab"));
    ASSERT_EQ(f.label->load(parseString(doc, QStringLiteral("<param name='label' value='!!!*'/>"))), 0);
    EXPECT_TRUE(f.text.isEmpty());
}

TEST(StringParameter, StandAloneRoundTripThroughTheFactory)
{
    StringParameter original(QStringLiteral("title"), QStringLiteral("Title:"), nullptr, nullptr, false, 4);
    original.setValue(QStringLiteral("Hallo Welt"));
    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("parameter"));
    original.store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("type")), QStringLiteral("8"));
    std::unique_ptr<Parameter> loaded(createParameter(e));
    StringParameter* s = loaded ? static_cast<StringParameter*>(*loaded) : nullptr;
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->value(), QStringLiteral("Hallo Welt"));
    EXPECT_EQ(s->displayFlags(), 4);
}

TEST(StringParameter, CloneCopiesTextFlagAndEmbeddedData)
{
    StringFixture f;
    f.file->setValue(QStringLiteral("/some/where.png"));
    QDomDocument doc;
    QDomElement data = doc.createElement(QStringLiteral("data"));
    storeBinaryData(doc, data, QByteArray("payload"), true);
    ASSERT_EQ(f.file->parseEmbeddedData(data), 0);

    std::unique_ptr<Parameter> copy(f.file->clone());
    StringParameter* c = copy ? static_cast<StringParameter*>(*copy) : nullptr;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->container(), nullptr);
    EXPECT_EQ(c->type(), ParamFileName);
    EXPECT_EQ(c->value(), QStringLiteral("/some/where.png"));
    EXPECT_EQ(*c->embeddedData(), QByteArray("payload"));
    c->setValue(QStringLiteral("other"));
    EXPECT_EQ(f.path, QStringLiteral("/some/where.png"));
}

TEST(StringParameter, EmbedsTheNamedFileAndReadsItBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray content;
    for (int i = 0; i < 5000; ++i)
        content.append(char(i * 7));
    writeFile(dir.filePath(QStringLiteral("texture.bin")), content);

    StringFixture f;
    f.file->setValue(dir.filePath(QStringLiteral("texture.bin")));
    f.label->setValue(dir.filePath(QStringLiteral("texture.bin"))); // not a path parameter
    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("root"));
    doc.appendChild(root);
    f.container.storeState(doc, root, false, true);
    const QDomNodeList data = doc.elementsByTagName(QStringLiteral("data"));
    ASSERT_EQ(data.size(), 1);
    EXPECT_EQ(data.at(0).toElement().attribute(QStringLiteral("owner")), QStringLiteral("file"));

    QDomDocument reread;
    ASSERT_TRUE(bool(reread.setContent(doc.toString())));
    StringFixture g;
    g.container.loadState(reread.documentElement().firstChildElement());
    EXPECT_EQ(*g.file->embeddedData(), content);
    EXPECT_EQ(g.path, f.path); // the path itself is kept, the file is not written
    EXPECT_TRUE(g.label->embeddedData() == nullptr || g.label->embeddedData()->isEmpty());
}

TEST(StringParameter, EmbedsNothingForMissingFilesOrFolders)
{
    QTemporaryDir dir;
    StringFixture f;
    QDomDocument doc;
    QDomElement parent = doc.createElement(QStringLiteral("section"));
    for (QString const& path : {QString(), dir.filePath(QStringLiteral("missing.png")), dir.path()}) {
        f.file->setValue(path);
        EXPECT_EQ(f.file->embedData(parent, doc), 0);
    }
    EXPECT_FALSE(parent.hasChildNodes());
}

TEST(StringParameter, HostilePayloadsLeaveAnEmptyBuffer)
{
    StringFixture f;
    QDomDocument doc;
    QDomElement good = doc.createElement(QStringLiteral("data"));
    storeBinaryData(doc, good, QByteArray("kept"), true);
    ASSERT_EQ(f.file->parseEmbeddedData(good), 0);

    // No text: the buffer stays.
    EXPECT_EQ(f.file->parseEmbeddedData(doc.createElement(QStringLiteral("data"))), 0);
    EXPECT_EQ(*f.file->embeddedData(), QByteArray("kept"));

    // Not the compressed form.
    QDomElement raw = doc.createElement(QStringLiteral("data"));
    storeBinaryData(doc, raw, QByteArray("plain bytes"), false);
    EXPECT_EQ(f.file->parseEmbeddedData(raw), -1);
    EXPECT_TRUE(f.file->embeddedData()->isEmpty());

    // A stored length of 4 GiB in front of a tiny stream.
    f.file->parseEmbeddedData(good);
    QByteArray lying = compressBinaryData(QByteArray("tiny"));
    lying[0] = char(0xFF);
    lying[1] = char(0xFF);
    lying[2] = char(0xFF);
    lying[3] = char(0xFF);
    QDomElement liar = doc.createElement(QStringLiteral("data"));
    liar.appendChild(doc.createTextNode(QString::fromLatin1(lying.toBase64())));
    EXPECT_EQ(f.file->parseEmbeddedData(liar), -1);
    EXPECT_TRUE(f.file->embeddedData()->isEmpty());
}
