#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <memory>

class QIODevice;
class QXmlStreamReader;

namespace KelUtils {

// Deepest element nesting accepted in a document that came from a file or the network. Qt's
// DOM parser takes time quadratic in the depth, so the depth is checked in one linear pass
// first. Far above anything the program writes: a graph nests sub-graphs at most 64 deep,
// two elements a level, and a node section adds a few more.
constexpr int MaxXmlDepth = 256;

// Most memory a document may take as a tree. The bytes of a file are bounded where it is read;
// the tree built from them is not: a DOM element takes 272 bytes, and a first attribute adds
// a table of 2 KB, so that a file of short elements takes 70 to 250 times its size. A project
// of 5 000 objects of 12 nodes as the program saves it takes about 580 MB (estimated 620).
constexpr qint64 MaxXmlTreeBytes = qint64(768) * 1024 * 1024;

// Most attributes of one element. Qt's reader compares each attribute of an element with every
// other one, before the element is handed on: 64 000 of them take 13 seconds. The program
// writes a dozen at most.
constexpr int MaxXmlAttributes = 4096;

// Longest single token (a text, a tag with its attributes, a comment, a CDATA section, a
// processing instruction, the document type declaration), in bytes of UTF-8 (code units of
// UTF-16 or UTF-32), each entity reference counted at the most it may expand to. The reader
// holds a token whole, two bytes a character, and the DOM copies it: 500 MB of text took more
// than 1.5 GB. The program's longest is an embedded payload (none of its own effects embeds
// one), Base64 of what it packs: one of 48 MB packed fits.
constexpr qint64 MaxXmlTokenLength = qint64(64) * 1024 * 1024;

// Characters one entity reference may expand to: the reader refuses a reference that expands
// to more (its default expansion limit, nested references included).
constexpr qint64 MaxXmlEntityExpansion = 4096;

// Most comparisons of attributes, over the whole document. Qt's reader compares each attribute
// of an element with every other one: 600 elements of 2 600 attributes hold a reader 20
// seconds, this budget half a second. The program's elements hold a dozen attributes at most,
// 66 comparisons each.
constexpr qint64 MaxXmlAttributeComparisons = qint64(64) * 1000 * 1000;

// Most steps of the reader's work on a document's elements. Each element is compared with
// every attribute default the document's type declares: 40 000 such declarations over 100 000
// elements take a minute. With no declarations, as in every document the program writes, a
// step is an element.
constexpr qint64 MaxXmlSteps = qint64(64) * 1000 * 1000;

// A place in a document as the reader names it: lines and characters (UTF-16 code units) of
// a line, from 1.
struct XmlPlace {
    qint64 line = 0;
    qint64 column = 0;
};

// Follows a document as a QXmlStreamReader reads it and tells when it goes past one of the
// limits above. The reader reads through watch(), where an XmlTokenLexer bounds each token and
// an element's attributes before the reader takes them in; admit() counts each token: its
// nesting, what it adds to the tree and the reader's work, attribute comparisons included.
// Tree costs as measured for Qt 6's DOM on x86-64, rounded up: an element, an attribute and a node of text (or a comment, a processing
// instruction, an entity) each, an element's table of attributes, and two bytes a character
// (five for an attribute's value, held twice). One budget per document.
class XmlDocumentBudget
{
public:
    // `held`: what the trees of the documents that include this one already take.
    explicit XmlDocumentBudget(qint64 held = 0);
    ~XmlDocumentBudget();

    // A device reading `source` (open for reading) for the reader; it ends, as if the
    // document ended, where a token would pass MaxXmlTokenLength or an element
    // MaxXmlAttributes. The budget owns it.
    QIODevice* watch(QIODevice* source);

    // Counts the reader's current token; false once the document is over a limit, with
    // refusal() saying which. Called for every token, the last one (an error) included.
    bool admit(QXmlStreamReader const& reader);
    QString const& refusal() const { return m_refusal; }
    // Where the refusal stands: what the lexer refused where it found it, which is ahead of
    // the reader (column 0 where the source cannot be read again); anything else where the
    // reader stands.
    XmlPlace refusalPlace(QXmlStreamReader const& reader) const;
    // The encoding the document declares, when the refusal was for it; empty otherwise.
    QByteArray const& refusedEncoding() const { return m_refusedEncoding; }
    // Whether the refusal was for the nesting.
    bool tooDeep() const { return m_depth > MaxXmlDepth; }
    // The estimated memory of the tree so far, `held` included.
    qint64 treeBytes() const { return m_treeBytes; }

private:
    class WatchingDevice;

    bool refuse(QString const& text);

    std::unique_ptr<WatchingDevice> m_device;
    int m_depth = 0;
    qint64 m_treeBytes;
    qint64 m_steps = 0;
    qint64 m_stepsPerElement = 1;
    qint64 m_attributeComparisons = 0;
    QString m_refusal;
    QByteArray m_refusedEncoding;
};

} // namespace KelUtils
