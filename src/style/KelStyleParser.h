#pragma once

#include "style/XmlStanza.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class KelStyleConfig;
class KelTagParser;
class QIODevice;
class QVariant;
class QXmlStreamAttributes;

// Reads a style file (and the files it includes) from the resources folder into the style
// store. Two passes: the XML becomes an XmlStanza tree, then a walk turns every value element
// into one key and one value. An element's key joins the "id" attributes around it with dots;
// an element whose tag has no parser is a group that only adds its "id". "include" reads a
// further file into the same store; any element with "defined" copies an earlier key instead.
//
// Failure texts stay in the reader (errorText()); the program only sees the boolean.
class KelStyleParser
{
public:
    static inline const QString TAG_ROOT = QStringLiteral("kelstyle");
    // How many includes may nest below the file that start-up loads.
    static constexpr int MAX_INCLUDE_DEPTH = 16;

    KelStyleParser();
    ~KelStyleParser();
    KelStyleParser(KelStyleParser const&) = delete;
    KelStyleParser& operator=(KelStyleParser const&) = delete;

    // Reads `fileName` (a bare name) from the resources folder into `config`. `lenient` skips
    // value elements that do not read instead of failing; a missing "defined" source or a
    // failing include fails either way. Values stored before a failure stay.
    bool load(QString const& fileName, KelStyleConfig& config, bool lenient);

    // Walks the children of `element` with the key prefix `prefix`.
    bool parse(XmlStanza const& element, QString const& prefix, KelStyleConfig& config);

    // The description of the last failure (unchanged when a file could not be opened).
    QString const& errorText() const { return m_errorText; }
    // The tree of the last document read.
    XmlStanza const& root() const { return m_root; }
    bool isLenient() const { return m_lenient; }

    void createSubParsers();
    void destroySubParsers();

    // Qt's QVariant::isNull only knows invalid variants; a value element also yields nothing
    // as a null string, a 0 x 0 size or a null pixmap.
    static bool isNoValue(QVariant const& value);

private:
    bool buildTree(QIODevice& device);
    void startDocument();
    bool startElement(QString const& namespaceUri, QString const& qualifiedName,
                      QXmlStreamAttributes const& attributes);
    void endElement();
    bool endDocument();

    bool include(XmlStanza const& element, KelStyleConfig& config);

    int m_state = 0; // 0 before any document, 1 inside one, 2 after its end
    QString m_errorText;
    bool m_lenient = false;
    QMap<QString, KelTagParser*> m_tagParsers;
    QVector<XmlStanza*> m_stack;
    XmlStanza m_root;
    // Files being read by this reader and the readers that include it, outermost first:
    // cleaned absolute paths.
    QStringList m_openFiles;
    // Estimated memory of the trees of the readers that include this one, and of this one's.
    qint64 m_heldTreeBytes = 0;
    qint64 m_treeBytes = 0;
};
