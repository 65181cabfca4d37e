// The main window's file commands: new, open, save, the save question, recent files, the result
// image, sequences, the object clipboard, and its share in adding and removing objects.

#include "mainwindow/TwMainWindow.h"

#include "ui_MainWindow.h"

#include "app/ImageSaveFormats.h"
#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/PlainTextWidgets.h"
#include "app/ProjectLinkCheck.h"
#include "app/Renderer.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "app/TwUtilities.h"
#include "app/TypedSaveName.h"
#include "app/UnrestoredLinksText.h"
#include "app/UserFileWriter.h"
#include "browser/TwSaveSequence.h"
#include "dialogs/TwPreferencesDialog.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectEditorDock.h"
#include "mainwindow/TwObjectSettings.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelTimeline.h"
#include "io/RegularFileReader.h"
#include "io/XmlDocumentDepth.h"

#include <QDomDocument>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QUndoStack>

#include <memory>

namespace {

const QString projectSuffix = QStringLiteral("vyxsg");
const QString projectFilter = QStringLiteral("Vyx-Solenne Graph (*.vyxsg)");
const QString recentFilesKey = QStringLiteral("recentFileList");
const QString lastProjectKey = QStringLiteral("lastProjectLocation");
const QString lastImageKey = QStringLiteral("lastImageLocation");
constexpr int maxRecentFiles = 5;

enum class ResultImage { Ready, Escaped, Failed };

// Waits for the render the result image needs as the project stands (TwCore::waitForRender); on
// a failed render *failure says why the picture is not the project's.
ResultImage awaitResultImage(TwCore* core, QString* failure)
{
    if (!core->waitForRender())
        return ResultImage::Escaped;
    Renderer const* renderer = core->renderer();
    if (renderer->completedSucceeded())
        return ResultImage::Ready;
    QString reason = renderer->failureReason();
    if (reason.isEmpty())
        reason = TwMainWindow::tr("the render was canceled");
    *failure = TwMainWindow::tr("The image was not saved because the project's picture could not be rendered:\n%1")
                   .arg(ShownText::bounded(reason));
    return ResultImage::Failed;
}

// The save question of the project and of the templates: Save, Discard or Cancel.
QMessageBox::StandardButton askToSaveChanges(QWidget* parent, QString const& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vyx-Solenne"), QString(),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    PlainTextWidgets::setText(&box, text);
    box.setDefaultButton(QMessageBox::NoButton);
    // Return goes to the focused button; in the Mac button order Discard comes first, and a
    // reflexive Return must not throw the changes away.
    if (QAbstractButton* discard = box.button(QMessageBox::Discard)) {
        if (auto* push = qobject_cast<QPushButton*>(discard))
            push->setAutoDefault(false);
    }
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        cancel->setFocus();
    return QMessageBox::StandardButton(box.exec());
}

// A few names of edited templates, one a line. A project effect's template says whose it is,
// and a store template says so when an effect's template of the list has its name. A template
// of no name yet (an effect made with +) is named by its effect alone.
QString templateNames(QList<KelNGObject*> const& owners)
{
    const bool alone = owners.size() == 1;
    constexpr int kNamesShown = 5;
    auto quoted = [](QString const& name) {
        return QStringLiteral("\"%1\"").arg(ShownText::name(name, ShownText::kMenuEntryChars));
    };
    QSet<QString> effectTemplateNames;
    for (KelNGObject* owner : owners) {
        if (!owner->isTemplateInstance())
            effectTemplateNames.insert(owner->objectTemplate()->name());
    }
    QStringList names;
    for (KelNGObject* owner : owners.mid(0, kNamesShown)) {
        QString const name = owner->objectTemplate()->name();
        if (!owner->isTemplateInstance() && name.isEmpty())
            names << (alone ? TwMainWindow::tr("of the effect %1 in the project")
                            : TwMainWindow::tr("the template of the effect %1 in the project"))
                             .arg(quoted(TwObjectSettings::displayName(owner)));
        else if (!owner->isTemplateInstance())
            names << TwMainWindow::tr("%1 (of the effect %2 in the project)")
                         .arg(quoted(name), quoted(TwObjectSettings::displayName(owner)));
        else if (effectTemplateNames.contains(name))
            names << TwMainWindow::tr("%1 (in the template store)").arg(quoted(name));
        else
            names << quoted(name);
    }
    if (owners.size() > kNamesShown)
        names << TwMainWindow::tr("and %1 more").arg(owners.size() - kNamesShown);
    return names.join(QLatin1Char('\n'));
}

} // namespace

bool TwMainWindow::on_actionNew_triggered()
{
    if (!clear())
        return false;
    m_core->updateAfterChangingGraph(nullptr);
    // A new project has no file: Save must not write it over the previous one.
    m_core->setProjectName(tr("Untitled"));
    m_core->setHasProjectFile(false);
    m_core->setModified(false);
    m_core->start();
    return true;
}

void TwMainWindow::on_actionOpen_triggered()
{
    QString path;
    openNodeGraph(m_core->rootGraph(), path);
}

void TwMainWindow::openRecentFile()
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    QString path = action->data().toString();
    openNodeGraph(m_core->rootGraph(), path);
}

void TwMainWindow::openAndSetupProject(QString path)
{
    openNodeGraph(m_core->rootGraph(), path);
}

void TwMainWindow::openNodeGraph(KelNodes::NodeGraph* graph, QString& path)
{
    QSettings settings;
    if (path.isEmpty()) {
        path = QFileDialog::getOpenFileName(this, tr("Open Graph"), settings.value(lastProjectKey).toString(),
                                            projectFilter);
        if (!path.isEmpty())
            settings.setValue(lastProjectKey, QFileInfo(path).absolutePath());
    }
    if (path.isEmpty())
        return;

    // Read and parse first: a file that cannot be used must not cost the open project.
    // A device such as /dev/zero would be read without end.
    QByteArray bytes;
    QString reason;
    if (!KelUtils::RegularFileReader::readDocument(path, &bytes, &reason)) {
        warn(tr("The project \"%1\" could not be opened:\n%2").arg(QDir::toNativeSeparators(path), reason));
        return;
    }
    QDomDocument document;
    QString parseError;
    int line = 0;
    int column = 0;
    const bool parsed = KelUtils::setXmlContent(document, bytes, &parseError, &line, &column);
    if (!parsed || document.documentElement().tagName() != QLatin1String("graph")) {
        const QString where = tr("%1 (line %2, column %3).").arg(parseError).arg(line).arg(column);
        const QString name = QDir::toNativeSeparators(path);
        // Its encoding hides what the file is: it is told as the encoding it was refused for.
        const QByteArray encoding = parsed ? QByteArray() : KelUtils::xmlRefusedEncoding(bytes);
        if (!encoding.isEmpty())
            warn(tr("The project \"%1\" is in the encoding \"%2\", which this program does not read.")
                     .arg(name, ShownText::name(QString::fromLatin1(encoding))));
        else if (KelUtils::xmlFirstElementName(bytes) == QLatin1String("graph"))
            warn(tr("The project \"%1\" could not be read: %2").arg(name, where));
        else if (parsed)
            warn(tr("The file \"%1\" is not a Vyx-Solenne project.").arg(name));
        else
            // The reason stands as a sentence of its own (the gate's begin in lower case).
            warn(tr("The file \"%1\" is not a Vyx-Solenne project.\n\n%2").arg(name, where.left(1).toUpper() + where.mid(1)));
        return;
    }

    // Links the chain of effects would drop change the picture unseen: such a project is
    // refused before it costs the open one.
    if (const QString refusal = ProjectLinkCheck::refusal(document.documentElement()); !refusal.isEmpty()) {
        warn(tr("The project \"%1\" could not be opened:\n%2").arg(QDir::toNativeSeparators(path), refusal));
        return;
    }

    if (!clear())
        return;

    m_core->cancelRender();
    const QDomElement element = document.documentElement();
    graph->unload();
    int result = 0;
    {
        TwNodeGraphIOCallbacks callbacks(m_core, false);
        TwNodeGraphIOCallbacks::Scope hooks(graph, &callbacks, false, true);
        result = graph->load(element, true, KelNodes::LoadAllConnections, nullptr, nullptr);
    }
    graph->setUndoStack(m_core->undoStack());

    m_core->setProjectName(path);
    // A partly loaded project must not be saved over its file without asking for a name.
    m_core->setHasProjectFile(result >= 0);
    m_core->setModified(false);
    addFileToRecentFileList(path);

    QList<KelNodes::Node*> const nodes = graph->nodes();
    {
        TwCore::ObjectBatch batch(m_core);
        for (KelNodes::Node* node : nodes) {
            if (KelNodes::NodeGraph* subGraph = node->toNodeGraph())
                initObject(new KelNGObject(subGraph));
        }
    }
    m_core->setHasProjectFile(result >= 0);
    m_core->sortFilters();
    m_core->updateAndSync();
    m_core->setModified(false);
    m_core->start();

    if (result < 0) {
        const QString links = UnrestoredLinksText::lines(graph->unrestoredLinks());
        warn(tr("Parts of the project \"%1\" could not be read and were left out.\n"
                "Save it under a new name to keep what was loaded.")
                 .arg(QDir::toNativeSeparators(path))
             + (links.isEmpty() ? QString() : QStringLiteral("\n\n") + links));
    }
}

QString TwMainWindow::saveProposal() const
{
    const QString folder = QSettings().value(lastProjectKey).toString();
    const QString name = QFileInfo(m_core->projectName()).baseName() + QStringLiteral(".vyxsg");
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

void TwMainWindow::on_actionSave_triggered()
{
    QString path = m_core->projectName();
    saveNodeGraph(m_core->rootGraph(), path);
}

void TwMainWindow::on_actionSaveAs_triggered()
{
    QString path;
    saveNodeGraph(m_core->rootGraph(), path);
}

bool TwMainWindow::saveNodeGraph(KelNodes::NodeGraph* graph, QString& path)
{
    if (path.isEmpty()) {
        // Open lists only names with the suffix: a name typed without it gets it.
        const QString typed = QFileDialog::getSaveFileName(this, tr("Save Project"), saveProposal(), projectFilter);
        if (typed.isEmpty())
            return false;
        const QString completed = TypedSaveName::completed(typed, projectSuffix);
        if (!TypedSaveName::mayReplace(this, tr("Save Project"), typed, completed))
            return false;
        path = completed;
    }

    m_core->cancelRender();
    QByteArray bytes;
    {
        TwNodeGraphIOCallbacks callbacks(m_core, false);
        TwNodeGraphIOCallbacks::Scope hooks(graph, &callbacks, true, false);
        std::unique_ptr<QDomDocument> document(graph->store(graph->nodes(), true, true, false));
        if (document)
            bytes = document->toByteArray(4);
    }
    QString reason = tr("the project could not be stored");
    if (bytes.isEmpty() || !UserFileWriter::writeBytes(path, bytes, &reason)) {
        warn(tr("The project could not be saved to \"%1\":\n%2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    m_core->setProjectName(path);
    m_core->setHasProjectFile(true);
    m_core->setModified(false);
    return true;
}

bool TwMainWindow::maybeSaveNodeGraph()
{
    const QString name = ShownText::name(QFileInfo(m_core->projectName()).baseName());
    const int answer = askToSaveChanges(
        this, tr("The current scene \"%1\" has been modified.\n\nDo you want to save your changes ?").arg(name));
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Save) {
        QString path = m_core->hasProjectFile() ? m_core->projectName() : QString();
        return saveNodeGraph(m_core->rootGraph(), path);
    }
    return true;
}

bool TwMainWindow::maybeSaveTemplates(QList<KelNGObject*> const& unsaved)
{
    if (unsaved.isEmpty())
        return true;
    const QString text = unsaved.size() == 1
        ? tr("The template %1 has been modified.\n\nDo you want to save your changes ?").arg(templateNames(unsaved))
        : tr("These templates have been modified:\n%1\n\nDo you want to save your changes ?").arg(templateNames(unsaved));
    const int answer = askToSaveChanges(this, text);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer != QMessageBox::Save)
        return true;
    // The store's own templates first: saving an effect's template may replace a store record.
    for (KelNGObject* owner : unsaved) {
        if (!m_objectEditor->saveUnsavedTemplate(owner))
            return false;
    }
    return true;
}

bool TwMainWindow::clear()
{
    if (m_core->isModified() && !maybeSaveNodeGraph())
        return false;
    // An effect's own template edit goes with the effect; the store and its edits stay.
    if (!maybeSaveTemplates(m_objectEditor->unsavedProjectTemplateOwners()))
        return false;
    emptyProject();
    return true;
}

void TwMainWindow::emptyProject()
{
    disconnect(m_projectBrowser, &TwProjectBrowser::selectedObjectChanged, m_core, &TwCore::setSelectedObject);
    m_objectEditor->setBlockSignals(true);

    m_ui->timeline->setMasterContainer(m_core->rootGraph()->paramContainer());
    m_core->setSelectedObject(nullptr);
    nodeGraphViewSetObject(nullptr);
    dockDeleteCrucialWidgets();

    QList<KelNGObject*> const objects = m_core->objectList();
    for (KelNGObject* object : objects) {
        m_core->removeObject(object);
        m_projectBrowser->dynamicObjectSettingsFor(nullptr);
        dockDeleteCrucialWidgets();
        const bool blocked = m_objectEditor->blockSignals(true);
        m_core->removeAndDeleteObject(object);
        m_objectEditor->blockSignals(blocked);
    }

    m_core->sortFilters();
    m_objectEditor->setBlockSignals(false);
    connect(m_projectBrowser, &TwProjectBrowser::selectedObjectChanged, m_core, &TwCore::setSelectedObject);
    // The panels were emptied above: they show again what the window has selected.
    showSelectionInEditors(m_core->selectedObject());
}

// --- recent files ------------------------------------------------------------------------------

void TwMainWindow::addFileToRecentFileList(QString const& path)
{
    QSettings settings;
    QStringList files = settings.value(recentFilesKey).toStringList();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > maxRecentFiles)
        files.removeLast();
    settings.setValue(recentFilesKey, files);
    updateRecentFileActions();
}

void TwMainWindow::updateRecentFileActions()
{
    const QStringList files = QSettings().value(recentFilesKey).toStringList();
    const int shown = int(qMin(files.size(), qsizetype(maxRecentFiles)));
    for (int i = 0; i < m_recentFileActions.size(); ++i) {
        QAction* action = m_recentFileActions.at(i);
        if (i < shown) {
            action->setText(QStringLiteral("&%1 %2").arg(
                QString::number(i + 1), ShownText::name(QFileInfo(files.at(i)).baseName(), ShownText::kMenuEntryChars)));
            action->setData(files.at(i));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
}

// --- result image and sequences ----------------------------------------------------------------

void TwMainWindow::saveImage()
{
    // Only a picture of the project as it stands is written: the running render is waited for,
    // and a failed one leaves nothing to write. Playback would start a render with each frame
    // and move the picture on under the dialogs: it stops at the frame shown.
    stopTimelinePlayer();
    // True when the picture is ready; a failed render is said, an Esc ends the command quietly.
    auto resultReady = [this] {
        QString failure;
        const ResultImage result = awaitResultImage(m_core, &failure);
        if (result == ResultImage::Failed)
            warn(failure);
        return result == ResultImage::Ready;
    };
    if (!resultReady())
        return;
    QSettings settings;
    const QString location = settings.value(lastImageKey).toString();
    const ImageSaveFormats formats(TwPreferencesDialog::imageFormat(), m_core->resultImage()->size());
    const int quality = TwPreferencesDialog::imageQuality();

    const QString proposal = QStringLiteral("image.%1").arg(formats.preferredSuffix());
    const QStringList filters = formats.filters();
    QString filter = filters.value(0);
    const QString chosen = QFileDialog::getSaveFileName(
        this, tr("Save Image"), location.isEmpty() ? proposal : QDir(location).filePath(proposal),
        filters.join(QStringLiteral(";;")), &filter);
    if (chosen.isEmpty())
        return;
    // A suffix of a format that cannot take the picture is not silently replaced by another.
    const QString refusal = formats.refusal(chosen);
    if (!refusal.isEmpty()) {
        warn(refusal);
        return;
    }
    // The typed suffix decides the format; a name without one gets the filter's.
    QByteArray format = formats.formatOfFilter(filter);
    if (format.isEmpty())
        format = formats.preferredFormat();
    const QString path = formats.completedPath(chosen, format);
    format = formats.formatOfSuffix(QFileInfo(path).suffix());
    if (!TypedSaveName::mayReplace(this, tr("Save Image"), chosen, path))
        return;

    // A change may have come while the dialogs were open (a template installed meanwhile).
    if (!resultReady())
        return;
    QString reason;
    if (!UserFileWriter::writeImage(path, *m_core->resultImage(), format, quality, &reason)) {
        warn(tr("The image could not be saved to \"%1\":\n%2").arg(QDir::toNativeSeparators(path), reason));
        return;
    }
    settings.setValue(lastImageKey, QFileInfo(path).absolutePath());
}

void TwMainWindow::saveSequence()
{
    // Playback would go on stepping the frame under the modal dialog: frames from the wrong time.
    stopTimelinePlayer();
    auto* dialog = new TwSaveSequence(this, m_core);
    dialog->exec();
    delete dialog;
    // The export stepped the frame and set the user's back through the root graph.
    m_ui->timeline->showCurrentFrame();
}

// --- clipboard and objects ---------------------------------------------------------------------

void TwMainWindow::on_actionCopy_triggered()
{
    TwUtilities::storeObjectsToXML(m_core, m_core->selectedObjects(), &m_clipboard);
    m_ui->actionPaste->setEnabled(true);
}

void TwMainWindow::on_actionPaste_triggered()
{
    if (m_clipboard.size() == 0)
        return;
    // Taken at once, without an undo step: what it adds is removed by hand.
    m_core->cancelRender();
    TwUtilities::loadObjectFromBuffer(m_core, m_core->rootGraph(), &m_clipboard, false);
}

void TwMainWindow::addNewEmptyFilter()
{
    // The new sub-graph joins the graph the render thread reads.
    m_core->cancelRender();
    KelVyxNodes::VyxNodeGraph* graph = m_core->rootGraph()->addSubGraph(-1);
    if (!graph)
        return;
    auto* object = new KelNGObject(graph);
    graph->setName(tr("New Filter"));
    object->setObjectTemplate(new KelTemplate(QString()));
    // No undo step: undo does not remove it.
    initObject(object);
}

void TwMainWindow::initObject(KelNGObject* object)
{
    if (!object)
        return;
    // The core sets the graph up before its own cancel.
    m_core->cancelRender();
    m_projectBrowser->addObject(object);
    m_objectEditor->addObject(object);
    m_core->initObject(object);
}

void TwMainWindow::holdPanelRows(bool hold)
{
    m_projectBrowser->holdRowLayout(hold);
    m_objectEditor->holdRowLayout(hold);
}

void TwMainWindow::deinitObject(KelNGObject* object)
{
    m_core->cancelRender();
    m_projectBrowser->dynamicObjectSettingsFor(nullptr);
    dockDeleteCrucialWidgets();
    const bool blocked = m_objectEditor->blockSignals(true);
    m_core->deinitObject(object);
    m_objectEditor->blockSignals(blocked);
}
