#include "params/BinaryData.h"
#include "params/ParameterContainer.h"
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
        label = new StringParameter(QStringLiteral("label"), QStringLiteral("Label:"), &container, &text, false, 1);
        file = new StringParameter(QStringLiteral("file"), QStringLiteral("File:"), &container, &path, true, 1);
        container.paramLists().append(ParameterList{QStringLiteral("basic"), true, {label, file}});
        container.paramCallbacks().append(ParameterCallback{countStringChange, &changes});
    }

    // Stores the section, reparses it as text and loads it into `into`.
    void copyTo(StringFixture& into, bool embed) const
    {
        QDomDocument doc;
        QDomElement root = doc.createElement(QStringLiteral("root"));
        doc.appendChild(root);
        container.storeState(doc, root, false, embed);
        QDomDocument reread;
        ASSERT_TRUE(bool(reread.setContent(doc.toString())));
        into.container.loadState(reread.documentElement().firstChildElement());
    }
};

} // namespace

TEST(StringParameter, SetterNotifiesChangesOnly)
{
    StringFixture f;
    EXPECT_EQ(f.file->type(), ParamFileName);
    EXPECT_EQ(f.label->setValue(QStringLiteral("a")), 0);
    EXPECT_EQ(f.text, QStringLiteral("a"));
    EXPECT_EQ(f.label->setValue(QStringLiteral("a")), 0);
    EXPECT_EQ(f.changes, 1);
}

TEST(StringParameter, ValueIsBase64OfUtf16AndRoundTripsAnyText)
{
    StringFixture f;
    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("param"));
    f.label->setValue(QStringLiteral("abc"));
    f.label->store(e, doc);
    EXPECT_EQ(e.attribute(QStringLiteral("value")), QStringLiteral("//5hAGIAYwA="));

    for (QString const& sample : {QStringLiteral("Grüße <&> \"'"), QString::fromUtf8("\xF0\x9F\x8E\xA8 Farbe"),
                                  QStringLiteral("line\nbreak\ttab"), QString()}) {
        StringFixture source, target;
        source.file->setValue(sample);
        target.path = QStringLiteral("old");
        source.copyTo(target, false);
        EXPECT_EQ(target.path, sample);
    }

    // Absent is empty; a big-endian mark and foreign characters are tolerated.
    const std::pair<QString, QString> cases[] = {{QString(), QString()},
                                                 {QStringLiteral("/v8A YQBi\n=="), QStringLiteral("ab")},
                                                 {QStringLiteral("!!!*"), QString()}};
    for (auto const& [stored, expected] : cases) {
        QDomElement in = doc.createElement(QStringLiteral("param"));
        if (!stored.isNull())
            in.setAttribute(QStringLiteral("value"), stored);
        f.text = QStringLiteral("before");
        ASSERT_EQ(f.label->load(in), 0);
        EXPECT_EQ(f.text, expected);
    }
}

TEST(StringParameter, EmbedsTheNamedFileOnlyForFilePaths)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray content;
    for (int i = 0; i < 5000; ++i)
        content.append(char(i * 7));
    const QString path = dir.filePath(QStringLiteral("texture.bin"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(content);
    out.close();

    StringFixture f, g;
    f.file->setValue(path);
    f.label->setValue(path); // not a path parameter
    f.copyTo(g, true);
    EXPECT_EQ(*g.file->embeddedData(), content);
    EXPECT_EQ(g.path, path); // the path itself is kept, the file is not written
    EXPECT_TRUE(g.label->embeddedData() == nullptr || g.label->embeddedData()->isEmpty());

    // Missing files and folders embed nothing.
    QDomDocument doc;
    QDomElement parent = doc.createElement(QStringLiteral("section"));
    for (QString const& p : {QString(), dir.filePath(QStringLiteral("missing.png")), dir.path()}) {
        f.file->setValue(p);
        EXPECT_EQ(f.file->embedData(parent, doc), 0);
    }
    EXPECT_FALSE(parent.hasChildNodes());

    // A clone copies text, kind and embedded data into its own storage.
    std::unique_ptr<Parameter> copy(g.file->clone());
    StringParameter* c = copy ? static_cast<StringParameter*>(*copy) : nullptr;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->type(), ParamFileName);
    EXPECT_EQ(*c->embeddedData(), content);
    c->setValue(QStringLiteral("other"));
    EXPECT_EQ(g.path, path);
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
    lying.replace(0, 4, QByteArray(4, char(0xFF)));
    QDomElement liar = doc.createElement(QStringLiteral("data"));
    liar.appendChild(doc.createTextNode(QString::fromLatin1(lying.toBase64())));
    EXPECT_EQ(f.file->parseEmbeddedData(liar), -1);
    EXPECT_TRUE(f.file->embeddedData()->isEmpty());
}
