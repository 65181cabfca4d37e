#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>

class KelAdjective;
class KelNGObject;
class QDomDocument;
class QDomElement;

namespace KelNodes {
class NodeGraph;
}

// The in-memory record of one effect template: metadata, carried-along icon settings,
// adjectives, the template file's path, its icon and the project object that shows it. The
// node graph itself lives in the template file and is loaded on demand.
class KelTemplate : public QObject
{
    Q_OBJECT

public:
    explicit KelTemplate(QString const& filePath = QString());
    // A copy starts without instances, icons and graphLoaded; adjectives are cloned.
    KelTemplate(KelTemplate const& other);
    // Appends clones of the other's adjectives after the ones already held.
    KelTemplate& operator=(KelTemplate const& other);
    // Deletes the adjectives; never the instances or any file.
    ~KelTemplate() override;

    // Metadata. setName, setVersion, setUuid and setDescription emit updated().
    QString const& filePath() const { return m_filePath; }
    void setFilePath(QString const& path) { m_filePath = path; }
    QString const& name() const { return m_name; }
    void setName(QString const& name);
    QString const& alternativeNames() const { return m_alternativeNames; }
    void setAlternativeNames(QString const& names) { m_alternativeNames = names; }
    QString const& type() const { return m_type; }
    void setType(QString const& type) { m_type = type; }
    QString const& style() const { return m_style; }
    void setStyle(QString const& style) { m_style = style; }
    QString const& tags() const { return m_tags; }
    void setTags(QString const& tags) { m_tags = tags; }
    QString const& timeFrom() const { return m_timeFrom; }
    void setTimeFrom(QString const& text) { m_timeFrom = text; }
    QString const& timeTo() const { return m_timeTo; }
    void setTimeTo(QString const& text) { m_timeTo = text; }
    QString const& version() const { return m_version; }
    void setVersion(QString const& version);
    QString const& createdBy() const { return m_createdBy; }
    void setCreatedBy(QString const& author) { m_createdBy = author; }
    QString const& uuid() const { return m_uuid; }
    void setUuid(QString const& uuid);
    QString const& description() const { return m_description; }
    void setDescription(QString const& description);
    bool graphLoaded() const { return m_graphLoaded; }
    void setGraphLoaded(bool loaded) { m_graphLoaded = loaded; }

    // Owned adjectives, in order.
    QList<KelAdjective*> const& adjectives() const { return m_adjectives; }
    // Takes ownership.
    void appendAdjective(KelAdjective* adjective);

    // Icon and placement settings, carried along unchanged.
    qint32 iconQuality() const { return m_iconQuality; }
    void setIconQuality(qint32 value) { m_iconQuality = value; }
    float iconPositionX() const { return m_iconPositionX; }
    void setIconPositionX(float value) { m_iconPositionX = value; }
    float iconPositionY() const { return m_iconPositionY; }
    void setIconPositionY(float value) { m_iconPositionY = value; }
    float iconPositionZ() const { return m_iconPositionZ; }
    void setIconPositionZ(float value) { m_iconPositionZ = value; }
    float iconScaleX() const { return m_iconScaleX; }
    void setIconScaleX(float value) { m_iconScaleX = value; }
    float iconScaleY() const { return m_iconScaleY; }
    void setIconScaleY(float value) { m_iconScaleY = value; }
    float iconScaleZ() const { return m_iconScaleZ; }
    void setIconScaleZ(float value) { m_iconScaleZ = value; }
    float iconRotationX() const { return m_iconRotationX; }
    void setIconRotationX(float value) { m_iconRotationX = value; }
    float iconRotationY() const { return m_iconRotationY; }
    void setIconRotationY(float value) { m_iconRotationY = value; }
    float iconRotationZ() const { return m_iconRotationZ; }
    void setIconRotationZ(float value) { m_iconRotationZ = value; }
    qint32 positionModifier() const { return m_positionModifier; }
    void setPositionModifier(qint32 value) { m_positionModifier = value; }
    qint32 embeddedPosition() const { return m_embeddedPosition; }
    void setEmbeddedPosition(qint32 value) { m_embeddedPosition = value; }
    bool instantiateWithDefaultText() const { return m_instantiateWithDefaultText; }
    void setInstantiateWithDefaultText(bool value) { m_instantiateWithDefaultText = value; }
    QString const& defaultText() const { return m_defaultText; }
    void setDefaultText(QString const& text) { m_defaultText = text; }
    QString const& defaultScript() const { return m_defaultScript; }
    void setDefaultScript(QString const& text) { m_defaultScript = text; }
    QStringList const& interfaces() const { return m_interfaces; }
    void setInterfaces(QStringList const& interfaces) { m_interfaces = interfaces; }

    // Instances (not owned) and icons.
    KelNGObject* materialInstance() const { return m_materialInstance; }
    void setMaterialInstance(KelNGObject* object) { m_materialInstance = object; }
    QPixmap const& materialIcon() const { return m_materialIcon; }
    KelNGObject* objectInstance() const { return m_objectInstance; }
    void setObjectInstance(KelNGObject* object) { m_objectInstance = object; }
    QPixmap const& objectIcon() const { return m_objectIcon; }
    bool modified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    // Adjectives: a clone owned by the caller (editors and parameters cloned too), and a new
    // owned adjective holding one node-parameter attribute.
    KelAdjective* cloneAdjective(KelAdjective const* source) const;
    KelAdjective* addAdjective();

    // The storage root of templates and icons.
    static QString getStorageLocation();
    // The icon files of this template; empty while the uuid is not a valid braced UUID.
    QString objectIconPath() const;
    QString materialIconPath() const;

    // Keeps the icon; writes it as PNG (atomically) when `save` is set, or when the
    // objects-folder test file exists and the icon file does not. Emits updated(). Returns false
    // only when a needed write failed or the uuid cannot name a file.
    bool setObjectIcon(QPixmap const& icon, bool save = false);
    bool loadObjectIcon();
    bool setMaterialIcon(QPixmap const& icon, bool save = false);
    bool loadMaterialIcon();
    // Hands the material icon (marked when the template is not saved) to the material instance;
    // nothing without one.
    void applyNewMaterialIcon();

    // Deletes the instance's panel items, the instance, and the root graph the store made for
    // it with that graph's undo stack. Nothing without an instance.
    void deleteObjectInstance();
    void deleteMaterialInstance();

    // Text attributes: base64 of FF FE and little-endian UTF-16.
    static QString toBase64(QString const& text);
    static QString fromBase64(QString const& text);

    // The "template" element, appended as the last child of `parent`.
    void store(QDomDocument& document, QDomElement& parent, int nodeId) const;
    // Reads a "template" element into the record (nothing is cleared first; adjectives append).
    // False, having stopped there, at an attribute whose parameter asks for more values than a
    // stored parameter may hold (a damaged file).
    bool loadContent(QDomElement const& element);
    // Reads the first child element "template" of `element`, when there is one.
    void load(KelNodes::NodeGraph* graph, QDomElement const& element);

    // Loads the template file at filePath into `graph` and returns the template's sub-graph (the
    // last top-level node of the file, which must be its only one), or null. Every other node the
    // load added is removed again, so a null result leaves `graph` as it was. With `readTemplate`
    // the file's "template" elements are read (only on success); a parameter of theirs over the
    // bound of stored values makes the file count as damaged (null). `loadResult`, when given,
    // receives the graph loader's code (-1 after a skipped unknown node type or a broken
    // connection; -2 when the file is missing, unreadable, malformed or holds no sub-graph).
    KelNodes::NodeGraph* loadNodeGraphFromFile(KelNodes::NodeGraph* graph, bool readTemplate,
                                               bool unused, bool keepUids,
                                               int* loadResult = nullptr);

signals:
    void updated();

private:
    void assignFrom(KelTemplate const& other);
    bool writeIcon(QPixmap const& icon, QString const& path) const;

    QString m_filePath;
    QString m_name;
    QString m_alternativeNames;
    QString m_type;
    QString m_style;
    QString m_tags;
    QString m_timeFrom;
    QString m_timeTo;
    QString m_version;
    QString m_createdBy;
    QString m_uuid;
    QString m_description;
    bool m_graphLoaded = false;
    QList<KelAdjective*> m_adjectives;
    qint32 m_iconQuality = 0;
    float m_iconPositionX = 0.0f;
    float m_iconPositionY = 0.0f;
    float m_iconPositionZ = 0.0f;
    float m_iconScaleX = 1.0f;
    float m_iconScaleY = 1.0f;
    float m_iconScaleZ = 1.0f;
    float m_iconRotationX = 0.0f;
    float m_iconRotationY = 0.0f;
    float m_iconRotationZ = 0.0f;
    qint32 m_positionModifier = 0;
    qint32 m_embeddedPosition = 0;
    bool m_instantiateWithDefaultText = false;
    QString m_defaultText;
    QString m_defaultScript;
    KelNGObject* m_materialInstance = nullptr;
    QPixmap m_materialIcon;
    KelNGObject* m_objectInstance = nullptr;
    QPixmap m_objectIcon;
    bool m_modified = false;
    QStringList m_interfaces;
};
