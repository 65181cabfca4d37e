#include "app/KelTemplate.h"

#include "app/KelAdjective.h"
#include "app/KelAtomHolder.h"
#include "app/KelNGObject.h"
#include "app/KelTemplateDocument.h"
#include "io/picture/PictureReader.h"
#include "app/StoragePaths.h"
#include "app/UserFileWriter.h"
#include "nodes/NodeGraph.h"
#include "params/Base64.h"
#include "params/Parameter.h"
#include "style/KelStyleConfig.h"

#include <QDomElement>
#include <QFile>
#include <QIcon>
#include <QPainter>

namespace {

// The program draws an icon at 150 x 100 pixels at most. An icon file of the store (a folder
// anyone may write) can be a picture at the pixel cap, half a gigabyte for each template as long
// as the program runs: an icon is kept no larger than this.
constexpr QSize kLargestIcon(512, 512);

QImage readIcon(QString const& path)
{
    QImage icon = PictureReader::readFile(path, kLargestIcon);
    if (icon.width() > kLargestIcon.width() || icon.height() > kLargestIcon.height()) {
        const QSize kept = icon.size().scaled(kLargestIcon, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        icon = icon.scaled(kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return icon;
}

} // namespace

KelTemplate::KelTemplate(QString const& filePath)
    : m_filePath(filePath)
    , m_type(QStringLiteral("Filter"))
    , m_version(QStringLiteral("00.000"))
{
}

KelTemplate::KelTemplate(KelTemplate const& other)
    : QObject(nullptr)
{
    assignFrom(other);
}

KelTemplate& KelTemplate::operator=(KelTemplate const& other)
{
    if (this != &other)
        assignFrom(other);
    return *this;
}

KelTemplate::~KelTemplate()
{
    while (!m_adjectives.isEmpty())
        delete m_adjectives.takeFirst();
}

void KelTemplate::assignFrom(KelTemplate const& other)
{
    setName(other.m_name);
    m_alternativeNames = other.m_alternativeNames;
    setVersion(other.m_version);
    m_type = other.m_type;
    m_style = other.m_style;
    m_timeFrom = other.m_timeFrom;
    m_timeTo = other.m_timeTo;
    m_tags = other.m_tags;
    setUuid(other.m_uuid);
    m_createdBy = other.m_createdBy;
    setDescription(other.m_description);
    m_iconQuality = other.m_iconQuality;
    m_iconPositionX = other.m_iconPositionX;
    m_iconPositionY = other.m_iconPositionY;
    m_iconPositionZ = other.m_iconPositionZ;
    m_iconScaleX = other.m_iconScaleX;
    m_iconScaleY = other.m_iconScaleY;
    m_iconScaleZ = other.m_iconScaleZ;
    m_iconRotationX = other.m_iconRotationX;
    m_iconRotationY = other.m_iconRotationY;
    m_iconRotationZ = other.m_iconRotationZ;
    m_positionModifier = other.m_positionModifier;
    m_embeddedPosition = other.m_embeddedPosition;
    m_defaultText = other.m_defaultText;
    m_defaultScript = other.m_defaultScript;
    m_instantiateWithDefaultText = other.m_instantiateWithDefaultText;
    m_interfaces = other.m_interfaces;
    m_materialInstance = nullptr;
    m_objectInstance = nullptr;
    m_modified = other.m_modified;
    m_filePath = other.m_filePath;
    // Clone first: the source may be this record's own adjective list grown by the loop.
    QList<KelAdjective*> clones;
    for (KelAdjective const* adjective : other.m_adjectives)
        clones.append(cloneAdjective(adjective));
    m_adjectives.append(clones);
}

void KelTemplate::setName(QString const& name)
{
    m_name = name;
    emit updated();
}

void KelTemplate::setVersion(QString const& version)
{
    m_version = version;
    emit updated();
}

void KelTemplate::setUuid(QString const& uuid)
{
    m_uuid = uuid;
    emit updated();
}

void KelTemplate::setDescription(QString const& description)
{
    m_description = description;
    emit updated();
}

void KelTemplate::appendAdjective(KelAdjective* adjective)
{
    if (adjective && !m_adjectives.contains(adjective))
        m_adjectives.append(adjective);
}

KelAdjective* KelTemplate::cloneAdjective(KelAdjective const* source) const
{
    auto* clone = new KelAdjective;
    if (!source)
        return clone;
    for (KelAttribute attribute : source->attributes()) {
        KelAtomHolder* atom = attribute.atom();
        if (atom) {
            // Never share the source's editor: each adjective deletes its own.
            KelUtils::Parameter* parameter =
                atom->parameter() ? atom->parameter()->clone() : nullptr;
            KelAtomHolder* copy = KelAtomHolder::create(parameter);
            if (copy)
                copy->createUI();
            attribute.setAtom(copy);
        }
        clone->setAttribute(attribute);
    }
    clone->setName(source->name());
    clone->setGroupName(source->groupName());
    clone->setAlternativeNames(source->alternativeNames());
    return clone;
}

KelAdjective* KelTemplate::addAdjective()
{
    auto* adjective = new KelAdjective;
    m_adjectives.append(adjective);
    adjective->setAttribute(KelAttribute(KelAttribute::NodeParameterAttribute));
    return adjective;
}

QString KelTemplate::getStorageLocation()
{
    return StoragePaths::storageRoot();
}

QString KelTemplate::objectIconPath() const
{
    return StoragePaths::objectIconPath(m_uuid);
}

QString KelTemplate::materialIconPath() const
{
    return StoragePaths::materialIconPath(m_uuid);
}

bool KelTemplate::writeIcon(QPixmap const& icon, QString const& path) const
{
    if (path.isEmpty() || icon.isNull())
        return false;
    QString reason;
    if (UserFileWriter::writeImage(path, icon.toImage(), "png", -1, &reason))
        return true;
    qWarning().nospace() << "KelTemplate error: cannot write the icon " << path << ": " << reason;
    return false;
}

bool KelTemplate::setObjectIcon(QPixmap const& icon, bool save)
{
    m_objectIcon = icon;
    QString const path = objectIconPath();
    bool ok = !save || !path.isEmpty();
    if (!path.isEmpty()) {
        // A template shipped in the objects folder gets its icon file once.
        if (!save && QFile::exists(StoragePaths::objectsFolderTemplatePath(m_uuid))
            && !QFile::exists(path))
            save = true;
        if (save)
            ok = writeIcon(icon, path);
    }
    emit updated();
    return ok;
}

bool KelTemplate::loadObjectIcon()
{
    QString const path = objectIconPath();
    if (path.isEmpty())
        return false;
    QImage const icon = readIcon(path);
    if (icon.isNull())
        return false;
    m_objectIcon = QPixmap::fromImage(icon);
    return true;
}

bool KelTemplate::setMaterialIcon(QPixmap const& icon, bool save)
{
    m_materialIcon = icon;
    QString const path = materialIconPath();
    if (path.isEmpty())
        return !save;
    if (!save && QFile::exists(StoragePaths::materialTemplatePath(m_uuid)) && !QFile::exists(path))
        save = true;
    return save ? writeIcon(icon, path) : true;
}

bool KelTemplate::loadMaterialIcon()
{
    QString const path = materialIconPath();
    if (path.isEmpty())
        return false;
    QImage const icon = readIcon(path);
    if (icon.isNull())
        return false;
    m_materialIcon = QPixmap::fromImage(icon);
    return true;
}

void KelTemplate::applyNewMaterialIcon()
{
    if (!m_materialInstance)
        return;
    QPixmap icon = m_materialIcon;
    KelTemplate const* shown = m_materialInstance->objectTemplate();
    if (shown && shown->modified() && !icon.isNull()) {
        QPainter painter(&icon);
        painter.drawPixmap(115, 70,
                           KelStyleConfig::instance()->value<QPixmap>(
                               QStringLiteral("templatenotsaved")));
    }
    m_materialInstance->applyNewMaterialIcon(QIcon(icon));
}

namespace {

// Deletes a store-made instance together with the root graph the store made for it.
void deleteInstance(KelNGObject* object)
{
    object->deleteUIItems();
    KelNodes::NodeGraph* graph = object->graph();
    KelNodes::NodeGraph* root = graph ? graph->parentGraph() : nullptr;
    delete object;
    // Only a graph of its own: a root that sits inside another graph belongs to that graph.
    if (root && !root->parentGraph()) {
        delete root->undoStack();
        root->setUndoStack(nullptr);
        delete root;
    }
}

} // namespace

void KelTemplate::deleteObjectInstance()
{
    if (!m_objectInstance)
        return;
    KelNGObject* object = m_objectInstance;
    m_objectInstance = nullptr;
    deleteInstance(object);
}

void KelTemplate::deleteMaterialInstance()
{
    if (!m_materialInstance)
        return;
    KelNGObject* object = m_materialInstance;
    m_materialInstance = nullptr;
    deleteInstance(object);
}

QString KelTemplate::toBase64(QString const& text)
{
    return KelUtils::toBase64(text);
}

QString KelTemplate::fromBase64(QString const& text)
{
    return KelUtils::fromBase64(text);
}

void KelTemplate::store(QDomDocument& document, QDomElement& parent, int nodeId) const
{
    KelTemplateDocument::store(*this, document, parent, nodeId);
}

bool KelTemplate::loadContent(QDomElement const& element)
{
    return KelTemplateDocument::loadContent(*this, element);
}

void KelTemplate::load(KelNodes::NodeGraph* graph, QDomElement const& element)
{
    Q_UNUSED(graph);
    QDomElement const templateElement = element.firstChildElement(QStringLiteral("template"));
    if (!templateElement.isNull())
        loadContent(templateElement);
}

KelNodes::NodeGraph* KelTemplate::loadNodeGraphFromFile(KelNodes::NodeGraph* graph,
                                                        bool readTemplate, bool unused,
                                                        bool keepUids, int* loadResult)
{
    Q_UNUSED(unused);
    return KelTemplateDocument::loadNodeGraphFromFile(*this, graph, readTemplate, keepUids,
                                                      loadResult);
}
