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

QDomDocument storeImageSection(ParameterContainer const& container, bool embed)
{
    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("root"));
    doc.appendChild(root);
    container.storeState(doc, root, false, embed);
    QDomDocument reread;
    EXPECT_TRUE(bool(reread.setContent(doc.toString())));
    return reread;
}

QByteArray bytesOf(QImage const& image)
{
    return QByteArray(reinterpret_cast<char const*>(image.constBits()), image.sizeInBytes());
}

} // namespace

TEST(ImageParameter, PixelsRoundTripThroughASection)
{
    // RGB888 rows of width 5 are padded: the padding travels too.
    for (QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGB888, QImage::Format_Grayscale8}) {
        ImageFixture f, g;
        f.image = pattern(5, 3, format);
        QDomDocument doc = storeImageSection(f.container, true);
        g.container.loadState(doc.documentElement().firstChildElement());
        ASSERT_EQ(g.image.size(), QSize(5, 3));
        ASSERT_EQ(g.image.format(), format);
        EXPECT_EQ(bytesOf(g.image), bytesOf(f.image));
    }

    // Without embedding only the size travels: same size and format keep the pixels.
    ImageFixture f, g;
    f.image = pattern(4, 4, QImage::Format_ARGB32);
    QDomDocument doc = storeImageSection(f.container, false);
    EXPECT_EQ(doc.elementsByTagName(QStringLiteral("data")).size(), 0);
    g.image = pattern(4, 4, QImage::Format_ARGB32);
    g.image.setPixel(0, 0, 0x12345678);
    g.container.loadState(doc.documentElement().firstChildElement());
    EXPECT_EQ(g.image.pixel(0, 0), 0x12345678u);

    // Null or unbound images embed nothing.
    QDomElement parent = doc.createElement(QStringLiteral("section"));
    ImageFixture empty;
    EXPECT_EQ(empty.param->embedData(parent, doc), 0);
    ImageParameter unbound(QStringLiteral("none"), QString(), nullptr, nullptr);
    EXPECT_EQ(unbound.embedData(parent, doc), 0);
    EXPECT_FALSE(parent.hasChildNodes());
}

TEST(ImageParameter, RefusesBadSizesAndFormats)
{
    ImageFixture f;
    f.image = pattern(2, 2, QImage::Format_ARGB32);
    const QImage before = f.image.copy();
    QDomDocument doc;
    const char* bad[][3] = {
        {nullptr, nullptr, nullptr}, {"0", "2", "5"}, {"2", "-2", "5"}, {"2", "2", "-1"},
        {"2", "2", "0"}, {"2", "2", "9999"}, {"2", "2", nullptr}, {"nan", "2", "5"},
        {"99999999999", "2", "5"}, {"100000", "100000", "5"}, {"2147483647", "2147483647", "1"},
    };
    for (auto const& attrs : bad) {
        QDomElement e = doc.createElement(QStringLiteral("param"));
        const char* names[] = {"width", "height", "format"};
        for (int i = 0; i < 3; ++i)
            if (attrs[i])
                e.setAttribute(QLatin1String(names[i]), QLatin1String(attrs[i]));
        EXPECT_EQ(f.param->load(e), -1) << (attrs[0] ? attrs[0] : "-") << " " << (attrs[1] ? attrs[1] : "-");
        EXPECT_EQ(f.image, before);
    }
    // 256 MiB of pixels is the most a document may ask for.
    EXPECT_TRUE(ImageParameter::isAcceptableImage(8192, 8192, QImage::Format_ARGB32));
    EXPECT_FALSE(ImageParameter::isAcceptableImage(8192, 8193, QImage::Format_ARGB32));
    EXPECT_TRUE(ImageParameter::isAcceptableImage(65536, 32768, QImage::Format_Mono));

    QDomElement good = doc.createElement(QStringLiteral("param"));
    good.setAttribute(QStringLiteral("width"), 3);
    good.setAttribute(QStringLiteral("height"), 1);
    good.setAttribute(QStringLiteral("format"), 4);
    EXPECT_EQ(f.param->load(good), 0);
    EXPECT_EQ(f.image.size(), QSize(3, 1));
    EXPECT_EQ(f.image.format(), QImage::Format_RGB32);
    ImageParameter unbound(QStringLiteral("none"), QString(), nullptr, nullptr);
    EXPECT_EQ(unbound.load(good), -1);
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
