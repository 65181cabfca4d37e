#pragma once

// What a walk through the window compares before and after a step: what Save would write (without
// the frame the user stands at and the view's layout), the store's templates as their files would
// hold them (name, type and graph), and the project effects' own templates, which no project file
// holds (UUID, alternative names, tags, description, whether unsaved).

#include <QByteArray>
#include <QStringList>

#include <string>

class TwCore;

namespace MainWindowTest {

struct WalkState
{
    QByteArray project;
    QByteArray templates;
    QStringList effectTemplates;

    static WalkState of(TwCore* core, QByteArray const& projectBytes);
    // What a step is judged by: the project and the store's templates.
    bool sameFiles(WalkState const& other) const { return project == other.project && templates == other.templates; }
    bool operator==(WalkState const& other) const
    {
        return sameFiles(other) && effectTemplates == other.effectTemplates;
    }
    // The first line where the two differ, for a failure message.
    std::string differenceTo(WalkState const& other) const;
    static std::string firstDifference(QByteArray const& before, QByteArray const& after);
};

} // namespace MainWindowTest
