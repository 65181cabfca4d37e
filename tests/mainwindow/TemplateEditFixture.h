#pragma once

// A real main window whose store holds one template file ("Stored Glow"), with the two kinds of
// template edit a user makes: the store's template on the Templates page, and a project effect's
// own template (a copy of the store's) in the Template tab.

#include "MainWindowFixture.h"

#include <QByteArray>
#include <QString>

class KelTemplate;

namespace MainWindowTest {

class TemplateEditFixture : public MainWindowFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Show: Templates (the node-graph view) with the store template's row picked.
    void pickStoreTemplate();
    // Templates page, the template's row, a line typed into its description.
    void editDescription();
    // The store template put into the project; the project effect's own template edited in the
    // Template tab as a user does.
    void editEffectTemplate();
    // An effect "Tone FX" made with +, whose template has no name and no UUID, with a line typed
    // into its description in the Template tab.
    void editNamelessEffectTemplate();
    // The project's effect picked in the object editor's list, its Template tab shown and
    // `text` typed into its template's description.
    void typeIntoEffectTemplate(QString const& text);
    // The store's template of that name in a window made afresh (from its file), or null.
    KelTemplate* storedTemplateNamed(QString const& name);
    // The store's record of the template in a window made afresh (from the file).
    QString storedDescription();

    static QByteArray contentOf(QString const& path);

    QString uuid;
    QString path;
    QByteArray original;
    KelTemplate* objectTemplate = nullptr;
    KelNGObject* effect = nullptr;
};

} // namespace MainWindowTest
