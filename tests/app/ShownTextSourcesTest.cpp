// Every tool tip, label, message box, status line and title that the program sets from a
// variable gets its text through the shared plain-text helpers (ShownText, PlainTextWidgets):
// a text from outside (a project, a template, a service, a keyring, a file name) that looks like
// markup is otherwise taken for rich text, and Qt's text document opens whatever file an <img> in
// it names. The check reads the sources and finds such places by itself. A place that sets only
// the program's own words from a variable says so with "// own text" on its line or the line
// before; a widget that shows its text only as plain text and must keep it whole (an editable
// line, a label set to plain text, a tool button whose callers cut what they pass) with
// "// plain field".

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Where the text goes: a plain place shows characters as they are (a title, a status line, a
// row, a button); a rich place reads markup (a tool tip, a label, a message box).
enum class Place { Plain, Rich };

struct Call {
    int line = 0;
    QString name;
    QString receiver;
    QStringList arguments;
};

struct Finding {
    int line = 0;
    QString call;
    QString argument;
};

// Skips the literal starting at `at` ('"' or '\''); returns the index after it.
qsizetype skipLiteral(QString const& code, qsizetype at)
{
    const QChar quote = code.at(at);
    for (qsizetype i = at + 1; i < code.size(); ++i) {
        if (code.at(i) == QLatin1Char('\\'))
            ++i;
        else if (code.at(i) == quote)
            return i + 1;
    }
    return code.size();
}

// The source with its comments blanked (lines kept), literals untouched.
QString withoutComments(QString const& source)
{
    QString code = source;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            i = skipLiteral(code, i) - 1;
        } else if (code.mid(i, 2) == QLatin1String("//")) {
            for (; i < code.size() && code.at(i) != QLatin1Char('\n'); ++i)
                code[i] = QLatin1Char(' ');
        } else if (code.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = code.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype stop = end < 0 ? code.size() : end + 2;
            for (; i < stop; ++i) {
                if (code.at(i) != QLatin1Char('\n'))
                    code[i] = QLatin1Char(' ');
            }
        }
    }
    return code;
}

// The arguments of the call whose "(" is at `open`, split at its top-level commas; `end` gets
// the index after its ")".
QStringList splitArguments(QString const& code, qsizetype open, qsizetype* end)
{
    QStringList arguments;
    int depth = 0;
    qsizetype start = open + 1;
    for (qsizetype i = open; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            i = skipLiteral(code, i) - 1;
        } else if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char(')') || c == QLatin1Char(']') || c == QLatin1Char('}')) {
            if (--depth == 0) {
                const QString last = code.mid(start, i - start).trimmed();
                if (!last.isEmpty() || !arguments.isEmpty())
                    arguments << last;
                *end = i + 1;
                return arguments;
            }
        } else if (c == QLatin1Char(',') && depth == 1) {
            arguments << code.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    *end = code.size();
    return arguments;
}

// `text` split at the top-level occurrences of `separator` (outside brackets and literals).
QStringList splitTopLevel(QString const& text, QChar separator)
{
    QStringList parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            i = skipLiteral(text, i) - 1;
        else if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{'))
            ++depth;
        else if (c == QLatin1Char(')') || c == QLatin1Char(']') || c == QLatin1Char('}'))
            --depth;
        else if (c == separator && depth == 0) {
            // "a::b" is a name, not the ':' of "c ? a : b".
            if (c == QLatin1Char(':') && ((i + 1 < text.size() && text.at(i + 1) == c) || (i > 0 && text.at(i - 1) == c)))
                continue;
            parts << text.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    parts << text.mid(start).trimmed();
    return parts;
}

// Whether the whole of `text` is one call "name(...)" of a name matching `callee`; its
// arguments go to *arguments.
bool isCall(QString const& text, QRegularExpression const& callee, QStringList* arguments)
{
    const QRegularExpressionMatch match = callee.match(text);
    if (!match.hasMatch() || match.capturedStart() != 0)
        return false;
    const qsizetype open = text.indexOf(QLatin1Char('('), match.capturedEnd() - 1);
    if (open < 0)
        return false;
    qsizetype end = 0;
    *arguments = splitArguments(text, open, &end);
    return end == text.size();
}

bool isStringLiteral(QString const& text)
{
    static const QRegularExpression literal(QStringLiteral(R"(^((u8|u|U|L)?"([^"\\]|\\.)*"\s*)+(_s)?$)"));
    return literal.match(text).hasMatch();
}

bool isSafe(QString text, Place place);

// One term of a sum: a literal, a translation of one, a number, a helper's result, or any of
// these with .arg() of safe arguments.
bool isSafeTerm(QString const& term, Place place)
{
    static const QRegularExpression arg(QStringLiteral(R"(\.arg\($)"));
    // A trailing ".arg(...)": the base and each argument.
    if (term.endsWith(QLatin1Char(')'))) {
        int depth = 0;
        for (qsizetype i = term.size() - 1; i >= 0; --i) {
            const QChar c = term.at(i);
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                const qsizetype open = term.lastIndexOf(c, i - 1);
                if (open < 0)
                    break;
                i = open;
                continue;
            }
            if (c == QLatin1Char(')'))
                ++depth;
            else if (c == QLatin1Char('(') && --depth == 0) {
                if (term.left(i + 1).endsWith(QLatin1String(".arg("))) {
                    qsizetype end = 0;
                    const QStringList arguments = splitArguments(term, i, &end);
                    for (QString const& a : arguments) {
                        if (!isSafe(a, place))
                            return false;
                    }
                    return isSafe(term.left(i - 4), place);
                }
                break;
            }
        }
    }
    if (term.isEmpty() || term == QLatin1String("QString()") || term == QLatin1String("QString{}")
        || term == QLatin1String("{}") || isStringLiteral(term))
        return true;
    static const QRegularExpression number(QStringLiteral(R"(^-?\d+$)"));
    if (number.match(term).hasMatch())
        return true;
    QStringList arguments;
    static const QRegularExpression wrapped(
        QStringLiteral(R"(^(QStringLiteral|QLatin1String|QLatin1StringView|QLatin1Char|QChar|QStringView)\()"));
    if (isCall(term, wrapped, &arguments))
        return arguments.size() == 1 && (isStringLiteral(arguments.first()) || arguments.first().startsWith(QLatin1Char('\'')));
    static const QRegularExpression translation(QStringLiteral(R"(^((\w+::)*tr|QT_TR_NOOP)\()"));
    if (isCall(term, translation, &arguments))
        return !arguments.isEmpty() && isStringLiteral(arguments.first());
    static const QRegularExpression translate(QStringLiteral(R"(^(\w+::)*translate\()"));
    if (isCall(term, translate, &arguments))
        return arguments.size() >= 2 && isStringLiteral(arguments.at(1));
    static const QRegularExpression numberText(QStringLiteral(R"(^QString::number\()"));
    if (isCall(term, numberText, &arguments))
        return true;
    // The helpers: in a rich place only what comes out as plain characters of rich text.
    static const QRegularExpression richHelper(QStringLiteral(R"(^(ShownText::(toolTip|html)|Qt::convertFromPlainText)\()"));
    static const QRegularExpression plainHelper(QStringLiteral(R"(^ShownText::\w+\()"));
    return isCall(term, place == Place::Rich ? richHelper : plainHelper, &arguments);
}

bool isSafe(QString text, Place place)
{
    text = text.trimmed();
    while (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        qsizetype end = 0;
        const QStringList inner = splitArguments(text, 0, &end);
        if (end != text.size() || inner.size() != 1)
            break;
        text = inner.first();
    }
    // c ? a : b
    const QStringList question = splitTopLevel(text, QLatin1Char('?'));
    if (question.size() == 2) {
        const QStringList branches = splitTopLevel(question.at(1), QLatin1Char(':'));
        return branches.size() == 2 && isSafe(branches.at(0), place) && isSafe(branches.at(1), place);
    }
    const QStringList terms = splitTopLevel(text, QLatin1Char('+'));
    if (terms.size() > 1) {
        for (QString const& term : terms) {
            if (!isSafe(term, place))
                return false;
        }
        return true;
    }
    return isSafeTerm(text, place);
}

bool isDeclaration(QStringList const& arguments)
{
    static const QRegularExpression parameter(
        QStringLiteral(R"(^(const\s+)?[\w:]+\s*(const\s*)?[&*]\s*\w+(\s*=.*)?$|^(int|bool|QColor|Qt::\w+)\s+\w+(\s*=.*)?$)"));
    for (QString const& a : arguments) {
        if (parameter.match(a).hasMatch())
            return true;
    }
    return false;
}

// The places in one file's code that set text of a kind that is shown, with where it goes.
QList<Finding> unsafePlaces(QString const& source)
{
    const QString code = withoutComments(source);
    const QStringList lines = source.split(QLatin1Char('\n'));
    static const QRegularExpression calls(QStringLiteral(
        R"((?<qualifier>\b\w+::)?(?<receiver>\w+\s*(\(\s*\))?\s*(->|\.)\s*)?\b(?<name>setToolTip|setWhatsThis|setStatusTip|setText|setWindowTitle|showMessage|setInformativeText|setDetailedText|setItemText|setTabText|setTabToolTip|setItemToolTip|setPlaceholderText|showText)\s*\()"));
    static const QRegularExpression boxes(QStringLiteral(
        R"(\bQMessageBox\s*(::\s*(?<static>information|warning|critical|question|about)\s*\(|(?<object>\w+)\s*\(|\()|\bnew\s+(?<label>QLabel)\s*\(|\bQLabel\s+\w+\s*\()"));
    static const QRegularExpression richReceiver(QStringLiteral(R"(label|^box$|messagebox)"),
                                                 QRegularExpression::CaseInsensitiveOption);

    QList<qsizetype> lineStarts{0};
    for (qsizetype i = 0; i < code.size(); ++i) {
        if (code.at(i) == QLatin1Char('\n'))
            lineStarts << i + 1;
    }
    auto lineOf = [&lineStarts](qsizetype at) {
        return int(std::upper_bound(lineStarts.cbegin(), lineStarts.cend(), at) - lineStarts.cbegin()) - 1;
    };

    QList<Finding> findings;
    auto check = [&](qsizetype at, qsizetype open, QString const& call, QList<QPair<QString, Place>> const& texts) {
        const int first = lineOf(at);
        qsizetype end = 0;
        splitArguments(code, open, &end);
        const int last = lineOf(end);
        for (int line = qMax(0, first - 1); line <= last && line < lines.size(); ++line) {
            if (lines.at(line).contains(QLatin1String("// own text"))
                || lines.at(line).contains(QLatin1String("// plain field")))
                return;
        }
        for (auto const& [text, place] : texts) {
            if (!isSafe(text, place))
                findings.append({first + 1, call, text.simplified()});
        }
    };

    for (auto it = calls.globalMatch(code); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString qualifier = match.captured(QStringLiteral("qualifier"));
        // The helpers themselves, and the definitions of functions of these names.
        if (qualifier == QLatin1String("PlainTextWidgets::") || qualifier == QLatin1String("ShownText::"))
            continue;
        const QString name = match.captured(QStringLiteral("name"));
        if (name == QLatin1String("showText") && qualifier != QLatin1String("QToolTip::"))
            continue;
        const qsizetype open = match.capturedEnd() - 1;
        qsizetype end = 0;
        const QStringList arguments = splitArguments(code, open, &end);
        if (arguments.isEmpty() || isDeclaration(arguments))
            continue;
        QString receiver = match.captured(QStringLiteral("receiver"));
        receiver = receiver.left(receiver.indexOf(QRegularExpression(QStringLiteral(R"([\s(\-.])")))).trimmed();
        Place place = Place::Plain;
        if (name.contains(QLatin1String("ToolTip")) || name == QLatin1String("setWhatsThis")
            || name == QLatin1String("showText") || name == QLatin1String("setInformativeText")
            || name == QLatin1String("setDetailedText")
            || (name == QLatin1String("setText") && richReceiver.match(receiver).hasMatch()))
            place = Place::Rich;
        const QString text = name == QLatin1String("showMessage") ? arguments.first()
                             : name == QLatin1String("showText") ? arguments.value(1)
                                                                   : arguments.last();
        check(match.capturedStart(), open, receiver.isEmpty() ? name : receiver + QLatin1String("->") + name,
              {{text, place}});
    }
    for (auto it = boxes.globalMatch(code); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const qsizetype open = match.capturedEnd() - 1;
        qsizetype end = 0;
        const QStringList arguments = splitArguments(code, open, &end);
        if (isDeclaration(arguments))
            continue;
        if (match.hasCaptured(QStringLiteral("label")) || match.captured(0).startsWith(QLatin1String("QLabel"))) {
            static const QRegularExpression parent(QStringLiteral(R"(^(this|nullptr|parent|0)$)"));
            if (arguments.isEmpty() || parent.match(arguments.first()).hasMatch())
                continue;
            check(match.capturedStart(), open, QStringLiteral("QLabel"), {{arguments.first(), Place::Rich}});
        } else if (match.hasCaptured(QStringLiteral("static"))) {
            check(match.capturedStart(), open, QStringLiteral("QMessageBox::") + match.captured(QStringLiteral("static")),
                  {{arguments.value(1), Place::Plain}, {arguments.value(2), Place::Rich}});
        } else if (arguments.size() >= 3) {
            check(match.capturedStart(), open, QStringLiteral("QMessageBox"),
                  {{arguments.value(1), Place::Plain}, {arguments.value(2), Place::Rich}});
        }
    }
    return findings;
}

QString sourceFolder()
{
    return QDir(QStringLiteral(VYX_TEST_DATA_DIR "/../../src")).absolutePath();
}

TEST(ShownTextSources, EveryShownTextFromAVariableGoesThroughTheHelpers)
{
    QStringList report;
    int files = 0;
    for (QDirIterator it(sourceFolder(), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        // The helpers, which give the widgets their text.
        if (path.endsWith(QLatin1String("/app/PlainTextWidgets.cpp")))
            continue;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        ++files;
        for (Finding const& f : unsafePlaces(QString::fromUtf8(file.readAll())))
            report << QStringLiteral("%1:%2: %3(%4)")
                          .arg(QDir(sourceFolder()).relativeFilePath(path))
                          .arg(f.line)
                          .arg(f.call, f.argument);
    }
    EXPECT_GT(files, 100);
    EXPECT_TRUE(report.isEmpty()) << "text set from a variable, not through ShownText or PlainTextWidgets:\n"
                                  << report.join(QLatin1Char('\n')).toStdString();
}

// The check itself, over the shapes such places take.
TEST(ShownTextSources, TheCheckTellsSafePlacesFromUnsafeOnes)
{
    const struct {
        const char* code;
        int findings;
    } cases[] = {
        {R"c(label->setText(tr("Name:"));)c", 0},
        {R"c(label->setText(name);)c", 1},
        {R"c(m_ui->statusLabel->setText(ShownText::name(text));)c", 1},
        {R"c(PlainTextWidgets::setText(m_ui->statusLabel, text);)c", 0},
        {R"c(button->setToolTip(tr("Save Template"));)c", 0},
        {R"c(button->setToolTip(tip);)c", 1},
        {R"c(button->setToolTip(ShownText::name(tip));)c", 1},
        {R"c(button->setToolTip(ShownText::toolTip(tip));)c", 0},
        {R"c(box->setToolTip(tr("Cannot (%1).").arg(reason.isEmpty() ? tr("none") : reason));)c", 1},
        {R"c(box->setToolTip(ShownText::toolTip(tr("Cannot (%1).").arg(reason)));)c", 0},
        {R"c(row->setText(2, ShownText::name(type));)c", 0},
        {R"c(row->setText(2, type);)c", 1},
        {R"c(row->setText(2, QStringLiteral("%1").arg(3));)c", 0},
        {R"c(setText(tr("Insert") + QLatin1Char(' ') + ShownText::name(name));)c", 0},
        {R"c(setText(tr("Insert") + QLatin1Char(' ') + name);)c", 1},
        {R"c(statusBar()->showMessage(ShownText::name(text));)c", 0},
        {R"c(statusBar()->showMessage(text, 2000);)c", 1},
        {R"c(setWindowTitle(title);)c", 1},
        {R"c(setWindowTitle(title); // own text)c", 0},
        {"// own text\nedit->setText(value);", 0},
        {R"c(QMessageBox::warning(this, tr("Title"), reply);)c", 1},
        {R"c(QMessageBox box(QMessageBox::Warning, title, QString(), buttons, nullptr);)c", 1},
        {R"c(QMessageBox box(QMessageBox::Warning, tr("T"), QString(), buttons, nullptr);)c", 0},
        {R"c(auto* label = new QLabel(name);)c", 1},
        {R"c(auto* label = new QLabel(this);)c", 0},
        {R"c(QToolTip::showText(pos, text, button);)c", 1},
        {R"c(QToolTip::showText(pos, Qt::convertFromPlainText(text), button);)c", 0},
        {R"c(setText(kind == A ? QObject::tr("A") : QObject::tr("B"));)c", 0},
        {R"c(setText(kind == A ? QObject::tr("A") : name);)c", 1},
        {R"c(void setText(QString const& text) { m_text = text; })c", 0},
        {R"c(void KelToolBox::setItemText(int index, const QString& text))c", 0},
        {"/* label->setText(name); */ label->setText(\"x\");", 0},
        {R"c(label->setText("a (b)" + name);)c", 1},
    };
    for (auto const& c : cases)
        EXPECT_EQ(unsafePlaces(QString::fromUtf8(c.code)).size(), c.findings) << c.code;
}

} // namespace
