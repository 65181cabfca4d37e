#include "params/BinaryData.h"
#include "params/ImageParameter.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>
#include <QDomElement>
#include <QImage>

#include <gtest/gtest.h>

using namespace KelUtils;

namespace {

struct ImageFixture
{
    ParameterContainer container{QStringLiteral("node"), QString()};
    QImage image;
    ImageParameter* param = nullptr;

    ImageFixture()
    {
        param = new ImageParameter(QStringLiteral("texture"), QStringLiteral("Texture:"), &container, &image);
        container.paramLists().append(ParameterList{QStringLiteral("basic"), true, {param}});
    }
};

QImage pattern(int w, int h, QImage::Format format)
{
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y) {
        uchar* line = img.scanLine(y);
        for (qsizetype x = 0; x < img.bytesPerLine(); ++x)
            line[x] = uchar(x * 31 + y * 17);
    }
    return img;
}

QDomElement parseImage(QDomDocument& doc, QString const& xml)
{
    EXPECT_TRUE(bool(doc.setContent(xml)));
    return doc.documentElement();
}

QDomDocument storeSection(ParameterContainer const& container, bool embed)
{
    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("root"));
    doc.appendChild(root);
    container.storeState(doc, root, false, embed);
    QDomDocument reread;
    EXPECT_TRUE(bool(reread.setContent(doc.toString())));
    return reread;
}

} // namespace

TEST(ImageParameter, KindAndFlags)
{
    ImageFixture f;
    EXPECT_EQ(f.param->type(), ParamImage);
    EXPECT_EQ(f.param->displayFlags(), 1);
    Parameter* base = f.param;
    EXPECT_EQ(static_cast<ImageParameter*>(*base), f.param);
    EXPECT_EQ(static_cast<StringParameter*>(*base), nullptr);
    EXPECT_FALSE(f.param->supportsKeyframes());
}

TEST(ImageParameter, PixelsRoundTripThroughASection)
{
    // RGB888 rows of width 5 are padded: the padding travels too.
    for (QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGB888, QImage::Format_Grayscale8}) {
        ImageFixture f;
        f.image = pattern(5, 3, format);
        QDomDocument doc = storeSection(f.container, true);
        QDomElement param = doc.elementsByTagName(QStringLiteral("param")).at(0).toElement();
        EXPECT_EQ(param.attribute(QStringLiteral("width")), QStringLiteral("5"));
        EXPECT_EQ(param.attribute(QStringLiteral("height")), QStringLiteral("3"));
        EXPECT_EQ(param.attribute(QStringLiteral("format")), QString::number(int(format)));

        ImageFixture g;
        g.container.loadState(doc.documentElement().firstChildElement());
        ASSERT_EQ(g.image.size(), QSize(5, 3));
        ASSERT_EQ(g.image.format(), format);
        EXPECT_EQ(QByteArray(reinterpret_cast<char const*>(g.image.constBits()), g.image.sizeInBytes()),
                  QByteArray(reinterpret_cast<char const*>(f.image.constBits()), f.image.sizeInBytes()));
    }
}

TEST(ImageParameter, WithoutEmbeddingOnlyTheSizeTravels)
{
    ImageFixture f;
    f.image = pattern(4, 4, QImage::Format_ARGB32);
    QDomDocument doc = storeSection(f.container, false);
    EXPECT_EQ(doc.elementsByTagName(QStringLiteral("data")).size(), 0);

    ImageFixture g;
    g.image = pattern(4, 4, QImage::Format_ARGB32);
    g.image.setPixel(0, 0, 0x12345678);
    g.container.loadState(doc.documentElement().firstChildElement());
    EXPECT_EQ(g.image.pixel(0, 0), 0x12345678u); // same size and format: pixels kept
}

TEST(ImageParameter, NullImagesEmbedNothing)
{
    ImageFixture f;
    QDomDocument doc;
    QDomElement parent = doc.createElement(QStringLiteral("section"));
    EXPECT_EQ(f.param->embedData(parent, doc), 0);
    EXPECT_FALSE(parent.hasChildNodes());

    ImageParameter unbound(QStringLiteral("none"), QString(), nullptr, nullptr);
    EXPECT_EQ(unbound.embedData(parent, doc), 0);
    EXPECT_EQ(unbound.load(parseImage(doc, QStringLiteral("<param width='2' height='2' format='5'/>"))), -1);
}

TEST(ImageParameter, RefusesBadSizesAndFormats)
{
    ImageFixture f;
    f.image = pattern(2, 2, QImage::Format_ARGB32);
    const QImage before = f.image.copy();
    QDomDocument doc;
    const QString bad[] = {
        QStringLiteral("<param/>"),
        QStringLiteral("<param width='0' height='2' format='5'/>"),
        QStringLiteral("<param width='2' height='-2' format='5'/>"),
        QStringLiteral("<param width='2' height='2' format='-1'/>"),
        QStringLiteral("<param width='2' height='2' format='0'/>"),
        QStringLiteral("<param width='2' height='2' format='9999'/>"),
        QStringLiteral("<param width='2' height='2'/>"),
        QStringLiteral("<param width='nan' height='2' format='5'/>"),
        QStringLiteral("<param width='99999999999' height='2' format='5'/>"),
        QStringLiteral("<param width='100000' height='100000' format='5'/>"),
        QStringLiteral("<param width='2147483647' height='2147483647' format='1'/>"),
    };
    for (QString const& xml : bad) {
        EXPECT_EQ(f.param->load(parseImage(doc, xml)), -1) << qPrintable(xml);
        EXPECT_EQ(f.image, before);
    }
    // 256 MiB of pixels is the most a document may ask for.
    EXPECT_TRUE(ImageParameter::isAcceptableImage(8192, 8192, QImage::Format_ARGB32));
    EXPECT_FALSE(ImageParameter::isAcceptableImage(8192, 8193, QImage::Format_ARGB32));
    EXPECT_TRUE(ImageParameter::isAcceptableImage(65536, 32768, QImage::Format_Mono));

    EXPECT_EQ(f.param->load(parseImage(doc, QStringLiteral("<param width='3' height='1' format='4'/>"))), 0);
    EXPECT_EQ(f.image.size(), QSize(3, 1));
    EXPECT_EQ(f.image.format(), QImage::Format_RGB32);
}

TEST(ImageParameter, RefusesPayloadsThatDoNotFit)
{
    ImageFixture f;
    f.image = pattern(3, 3, QImage::Format_ARGB32);
    const QImage before = f.image.copy();
    QDomDocument doc;

    QDomElement shortData = doc.createElement(QStringLiteral("data"));
    storeBinaryData(doc, shortData, QByteArray(35, 'x'), true);
    EXPECT_EQ(f.param->parseEmbeddedData(shortData), -1);

    QDomElement garbage = doc.createElement(QStringLiteral("data"));
    garbage.appendChild(doc.createTextNode(QStringLiteral("not base64 at all ###")));
    EXPECT_EQ(f.param->parseEmbeddedData(garbage), -1);
    EXPECT_EQ(f.param->parseEmbeddedData(doc.createElement(QStringLiteral("data"))), -1);
    EXPECT_EQ(f.image, before);

    QDomElement fits = doc.createElement(QStringLiteral("data"));
    storeBinaryData(doc, fits, QByteArray(36, '\x7f'), true);
    EXPECT_EQ(f.param->parseEmbeddedData(fits), 0);
    EXPECT_EQ(f.image.pixel(2, 2), 0x7f7f7f7fu);

    ImageFixture empty;
    EXPECT_EQ(empty.param->parseEmbeddedData(fits), -1); // not sized yet
}
