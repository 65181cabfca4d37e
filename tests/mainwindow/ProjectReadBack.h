#pragma once

// How a saved project, read as Open reads it, writes itself again: every link, every terminal's
// masks and every value as the file held them, to the file's precision. A file leaves two things
// open: the order of a graph's nodes and links (the render sorts the list by level, a load lists
// as it reads), and the value a keyed parameter shows (typed between two keys it holds until the
// frame moves; read back, the keys give theirs).

#include <QByteArray>

#include <string>

namespace MainWindowTest {

struct ProjectReadBack
{
    // Empty when the project reads back as written; else what was lost or changed.
    std::string fault;
    // False when a keyed parameter's shown value reads back as another: the picture of the file
    // is not the one the window shows.
    bool samePicture = true;

    static ProjectReadBack of(QByteArray const& written, QByteArray const& writtenAgain);
};

} // namespace MainWindowTest
